// SPDX-License-Identifier: GPL-3.0-or-later
#include "birthdays_window.h"

#include "interop/birthday_texts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vcq
{

namespace
{

constexpr int kDefaultDays = 30;

const TextPair kTitle{"Anniversaires", "Birthdays"};
const TextPair kSpan{"&Anniversaires dans les", "&Birthdays in the next"};
const TextPair kSpanName{"Nombre de jours", "Number of days"};
const TextPair kDays{" jours", " days"};
const TextPair kList{"Prochains anniversaires", "Coming birthdays"};
const TextPair kColDate{"Date", "Date"};
const TextPair kColWhen{"Quand", "When"};
const TextPair kColName{"Nom", "Name"};
const TextPair kColAge{"Âge", "Age"};
const TextPair kNone{"Aucun anniversaire dans cette période.", "No birthday in this span."};
const TextPair kCount{"%1 anniversaire(s). Double-cliquez ou appuyez sur Entrée pour voir le "
                      "contact.",
                      "%1 birthday(s). Double-click or press Enter to see the contact."};
const TextPair kClose{"Fermer", "Close"};

} // namespace

BirthdaysWindow::BirthdaysWindow(Source source, Language language, QWidget *parent)
    : QDialog(parent), m_source(std::move(source)), m_language(language)
{
    setObjectName(QStringLiteral("frmBirthdays"));
    setModal(false);

    lblSpan = new QLabel(this);
    lblSpan->setObjectName(QStringLiteral("lblSpan"));
    lblSpan->setTextFormat(Qt::PlainText);
    spnDays = new QSpinBox(this);
    spnDays->setObjectName(QStringLiteral("spnDays"));
    spnDays->setRange(0, interop::kMaxBirthdaySpan);
    spnDays->setValue(kDefaultDays);
    lblSpan->setBuddy(spnDays);

    lstBirthdays = new QTreeWidget(this);
    lstBirthdays->setObjectName(QStringLiteral("lstBirthdays"));
    lstBirthdays->setColumnCount(4);
    lstBirthdays->setRootIsDecorated(false);
    lstBirthdays->setUniformRowHeights(true);
    lstBirthdays->setSelectionMode(QAbstractItemView::SingleSelection);
    lstBirthdays->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstBirthdays->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstBirthdays->header()->setStretchLastSection(false);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setWordWrap(true);

    buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    // Enter on a row shows its contact: it must not also close the window
    // (Escape does).
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    auto *span = new QHBoxLayout;
    span->addWidget(lblSpan);
    span->addWidget(spnDays);
    span->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(span);
    layout->addWidget(lstBirthdays, 1);
    layout->addWidget(lblSummary);
    layout->addWidget(buttons);
    resize(520, 360);

    // Tab goes as the controls sit on screen; the focus starts on the list,
    // where arrows and Enter work at once.
    setTabOrder(spnDays, lstBirthdays);
    setTabOrder(lstBirthdays, buttons->button(QDialogButtonBox::Close));
    lstBirthdays->setFocus();

    connect(spnDays, &QSpinBox::valueChanged, this, &BirthdaysWindow::refresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    // Enter and double-click alike.
    connect(lstBirthdays, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        if (item)
            emit contactChosen(item->data(0, Qt::UserRole).toLongLong());
    });
    ChooseLanguage(language);
}

void BirthdaysWindow::refresh()
{
    const qint64 current = lstBirthdays->currentItem()
                               ? lstBirthdays->currentItem()->data(0, Qt::UserRole).toLongLong()
                               : -1;
    lstBirthdays->clear();
    const bool french = m_language == Language::French;
    const auto upcoming = m_source ? m_source(spnDays->value()) : decltype(m_source(0)){};
    for (const interop::UpcomingBirthday &b : upcoming) {
        auto *item =
            new QTreeWidgetItem(lstBirthdays, {interop::birthdayDateText(b.date, french),
                                               interop::birthdayWhenText(b.daysAway, french),
                                               interop::birthdayName(b.firstName, b.lastName),
                                               interop::birthdayAgeText(b.age, french)});
        item->setData(0, Qt::UserRole, qint64(b.recordNumber));
        if (qint64(b.recordNumber) == current)
            lstBirthdays->setCurrentItem(item);
    }
    if (!lstBirthdays->currentItem() && lstBirthdays->topLevelItemCount() > 0)
        lstBirthdays->setCurrentItem(lstBirthdays->topLevelItem(0));
    lblSummary->setText(upcoming.empty() ? kNone.in(m_language)
                                         : kCount.in(m_language).arg(upcoming.size()));
    lblSummary->setAccessibleName(lblSummary->text());
}

void BirthdaysWindow::ChooseLanguage(Language language)
{
    m_language = language;
    setWindowTitle(kTitle.in(language));
    lblSpan->setText(kSpan.in(language));
    spnDays->setSuffix(kDays.in(language));
    spnDays->setAccessibleName(kSpanName.in(language));
    lstBirthdays->setHeaderLabels({kColDate.in(language), kColWhen.in(language),
                                   kColName.in(language), kColAge.in(language)});
    lstBirthdays->setAccessibleName(kList.in(language));
    buttons->button(QDialogButtonBox::Close)->setText(kClose.in(language));
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(kClose.in(language));
    setAccessibleName(kTitle.in(language));
    refresh();
}

} // namespace vcq
