// SPDX-License-Identifier: GPL-3.0-or-later
#include "birthday_reminder.h"

#include "interop/birthday_texts.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

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

void notify(QDBusConnection bus, const ReminderText &text, bool markup)
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

std::vector<interop::UpcomingBirthday> birthdaysToRemind(const ContactList &contacts, QDate today)
{
    return interop::upcomingBirthdays(contacts, today, 1);
}

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

bool remindOfBirthdays(const ContactList &contacts, QDate today, Language language,
                       QDBusConnection bus)
{
    const auto due = birthdaysToRemind(contacts, today);
    if (due.empty() || !bus.isConnected())
        return false;
    const ReminderText text = reminderText(due, language);
    // No service answering: the call fails and nothing more is done.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(QStringLiteral("GetCapabilities")), kAnswerMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [bus, text](auto *w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isError())
            return;
        notify(bus, text, reply.value().contains(QStringLiteral("body-markup")));
    });
    return true;
}

} // namespace vcq
