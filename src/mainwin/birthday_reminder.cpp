// SPDX-License-Identifier: GPL-3.0-or-later
#include "birthday_reminder.h"

#include "interop/birthday_texts.h"
#include "store/io_error.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>

namespace vcq
{

namespace
{

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// A service that does not answer within this is taken as none.
constexpr int kAnswerMs = 5000;

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

// Contacts looked at per turn of the event loop: a few milliseconds' work.
constexpr std::size_t kSlice = 2000;

void send(QDBusConnection bus, const ReminderText &text, bool markup)
{
    QDBusMessage message = call(QStringLiteral("Notify"));
    const QString body = markup ? text.body.toHtmlEscaped() : text.body;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(0))); // low: quiet
    hints.insert(QStringLiteral("category"), QStringLiteral("x-vellora-carnetique-97.birthday"));
    message << QStringLiteral("Vellora Carnetique 97") << uint(0) << QString() << text.summary
            << body << QStringList() << hints << int(-1);
    bus.asyncCall(message, kAnswerMs);
}

} // namespace

ReminderText reminderText(const std::vector<interop::UpcomingBirthday> &birthdays,
                          Language language)
{
    const bool french = language == Language::French;
    ReminderText out;
    out.summary = TextPair{"Anniversaires", "Birthdays"}.in(language);
    QStringList lines;
    for (const interop::UpcomingBirthday &b : birthdays) {
        QString when = interop::birthdayWhenText(b.daysAway, french);
        when[0] = when[0].toUpper();
        QString line = when + (french ? QStringLiteral(" : ") : QStringLiteral(": ")) +
                       interop::birthdayName(b.firstName, b.lastName);
        if (b.age > 0)
            line += QStringLiteral(", ") + interop::birthdayAgeText(b.age, french);
        lines << line;
    }
    out.body = lines.join(u'\n');
    return out;
}

void notifyBirthdays(const ReminderText &text, QDBusConnection bus)
{
    if (!bus.isConnected())
        return;
    // No service answering: the call fails and nothing more is done.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(QStringLiteral("GetCapabilities")), kAnswerMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [bus, text](auto *w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isError())
            return;
        send(bus, text, reply.value().contains(QStringLiteral("body-markup")));
    });
}

BirthdayReminder::BirthdayReminder(const ContactList &contacts, QDate today, Language language,
                                   QDBusConnection bus, QObject *parent)
    : QObject(parent), m_contacts(contacts), m_today(today), m_language(language), m_bus(bus)
{
    // Record numbers only: the contacts may change between slices.
    m_records.reserve(contacts.size());
    for (const ContactNode &node : contacts)
        m_records.push_back(node.RecordNumber);
    QMetaObject::invokeMethod(this, &BirthdayReminder::nextSlice, Qt::QueuedConnection);
}

void BirthdayReminder::nextSlice()
{
    const std::size_t end = std::min(m_records.size(), m_next + kSlice);
    try {
        for (; m_next < end; ++m_next)
            if (const ContactNode *node = m_contacts.findRecord(m_records[m_next]))
                if (auto b = interop::upcomingBirthday(*node, m_today, 1))
                    m_due.push_back(std::move(*b));
    } catch (const StoreError &) {
        // A record that cannot be read now is not a birthday to tell; the
        // window says so when it is shown.
        ++m_next;
    }
    if (m_next < m_records.size()) {
        QMetaObject::invokeMethod(this, &BirthdayReminder::nextSlice, Qt::QueuedConnection);
        return;
    }
    const bool told = !m_due.empty() && m_bus.isConnected();
    if (told) {
        interop::sortBirthdays(m_due);
        notifyBirthdays(reminderText(m_due, m_language), m_bus);
    }
    emit done(told);
    deleteLater();
}

} // namespace vcq
