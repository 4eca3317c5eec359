// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync_window.h"

#include "core/message_boxes.h"
#include "list_menu.h"
#include "sync/dav_client.h"
#include "sync/discovery.h"
#include "sync/origin.h"
#include "sync/password_store.h"
#include "sync/sync_backup.h"
#include "sync/sync_engine.h"
#include "sync/sync_settings.h"
#include "tfrm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace vcq
{

namespace
{

} // namespace

SyncOptionsPage::SyncOptionsPage(std::function<QString()> dataFilePath, QWidget *parent,
                                 Language language)
    : QWidget(parent), m_dataFilePath(std::move(dataFilePath)), m_language(language)
{
    setObjectName("TabSheetSync");
    auto *form = new QFormLayout;
    // The Options dialog is narrow: each label above its field.
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    lblServer = new QLabel(this);
    txtServer = new QLineEdit(this);
    txtServer->setObjectName("txtServer");
    lblUser = new QLabel(this);
    txtUser = new QLineEdit(this);
    txtUser->setObjectName("txtUser");
    lblSyncPassword = new QLabel(this);
    txtSyncPassword = new QLineEdit(this);
    txtSyncPassword->setObjectName("txtSyncPassword");
    txtSyncPassword->setEchoMode(QLineEdit::Password);
    form->addRow(lblServer, txtServer);
    form->addRow(lblUser, txtUser);
    form->addRow(lblSyncPassword, txtSyncPassword);
    // Each field is named by its label.
    lblServer->setBuddy(txtServer);
    lblUser->setBuddy(txtUser);
    lblSyncPassword->setBuddy(txtSyncPassword);

    btnTest = new QPushButton(this);
    btnTest->setObjectName("btnTest");
    chkAutoSync = new QCheckBox(this);
    chkAutoSync->setObjectName("chkAutoSync");
    spnMinutes = new QSpinBox(this);
    spnMinutes->setObjectName("spnMinutes");
    spnMinutes->setRange(1, 1440);
    spnMinutes->setValue(30);
    lblResult = new QLabel(this);
    lblResult->setObjectName("lblResult");
    lblResult->setTextFormat(Qt::PlainText);
    lblResult->setWordWrap(true);
    // Plain http to another machine: said in red under the address, and asked again at Test.
    lblInsecure = new QLabel(this);
    lblInsecure->setObjectName("lblInsecure");
    lblInsecure->setTextFormat(Qt::PlainText);
    lblInsecure->setWordWrap(true);
    lblInsecure->setStyleSheet(QStringLiteral("color: #c00000;"));
    // Two lines in the narrow page, which the form would otherwise squeeze.
    lblInsecure->setMinimumHeight(2 * lblInsecure->fontMetrics().lineSpacing());
    lblInsecure->hide();
    form->insertRow(1, lblInsecure);
    connect(txtServer, &QLineEdit::textChanged, this, [this](const QString &text) {
        lblInsecure->setVisible(sync::isInsecureHttp(QUrl::fromUserInput(text.trimmed())));
    });

    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(btnTest, 0, Qt::AlignLeft);
    column->addWidget(chkAutoSync);
    column->addWidget(spnMinutes, 0, Qt::AlignLeft);
    column->addWidget(lblResult);
    column->addStretch();

    connect(btnTest, &QPushButton::clicked, this, &SyncOptionsPage::btnTestClick);
    connect(chkAutoSync, &QCheckBox::toggled, spnMinutes, &QWidget::setEnabled);
    spnMinutes->setEnabled(false);
    ChooseLanguage(m_language);
}

void SyncOptionsPage::ChooseLanguage(Language language)
{
    m_language = language;
    m_french = language == Language::French;
    lblServer->setText(TextPair{"Serveur CardDAV :", "CardDAV server:"}.in(m_language));
    lblUser->setText(TextPair{"Utilisateur :", "User:"}.in(m_language));
    lblSyncPassword->setText(TextPair{"Mot de passe :", "Password:"}.in(m_language));
    btnTest->setText(TextPair{"Tester", "Test"}.in(m_language));
    chkAutoSync->setText(
        TextPair{"Synchro toutes les N minutes", "Sync every N minutes"}.in(m_language));
    spnMinutes->setSuffix(QStringLiteral(" min"));
    spnMinutes->setAccessibleName(
        TextPair{"Minutes entre deux synchros", "Minutes between syncs"}.in(m_language));
    lblInsecure->setText(TextPair{"Non sécurisé : en http, le mot de passe circule en clair.",
                                  "Insecure: over http the password travels in clear."}
                             .in(m_language));
}

void SyncOptionsPage::load()
{
    sync::SyncSettings settings;
    sync::loadSyncSettings(m_dataFilePath(), settings);
    txtServer->setText(settings.server);
    txtUser->setText(settings.user);
    txtSyncPassword->clear();
    chkAutoSync->setChecked(settings.intervalMinutes > 0);
    spnMinutes->setValue(settings.intervalMinutes > 0 ? settings.intervalMinutes : 30);
    m_collection = settings.collection;
    m_testedFor = settings.server + '\n' + settings.user;
    m_allowInsecureHttp = settings.allowInsecureHttp;
    lblResult->clear();
}

bool SyncOptionsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == window()) {
        ChooseLanguage(m_language);
        load();
        // Laid out now, though its tab is not the one shown.
        if (parentWidget())
            resize(parentWidget()->size());
        layout()->activate();
    }
    return QWidget::eventFilter(watched, event);
}

void SyncOptionsPage::btnTestClick()
{
    test();
}

QString SyncOptionsPage::serverMissingText() const
{
    return TextPair{"Indiquez d'abord l'adresse du serveur CardDAV (http ou https).",
                    "Type the CardDAV server's address first (http or https)."}
        .in(m_language);
}

bool SyncOptionsPage::test()
{
    if (txtServer->text().trimmed().isEmpty()) {
        lblResult->setText(serverMissingText());
        return false;
    }
    QString password = txtSyncPassword->text();
    sync::SyncSettings saved;
    sync::loadSyncSettings(m_dataFilePath(), saved);
    if (password.isEmpty() && !saved.collection.isEmpty()) {
        const sync::PasswordLookup stored = sync::readStoredPassword(sync::passwordKey(saved));
        password = stored.password;
    }
    const QUrl start = QUrl::fromUserInput(txtServer->text().trimmed());
    if (sync::isInsecureHttp(start)) {
        const bool confirmed =
            (m_allowInsecureHttp && saved.server == txtServer->text().trimmed()) ||
            askConfirmation(this, lblInsecure->text() + QStringLiteral("\n\n") +
                                      TextPair{"Utiliser quand même cette adresse ?",
                                               "Use this address all the same?"}
                                          .in(m_language));
        if (!confirmed) {
            lblResult->setText(
                sync::errorText({sync::SyncErrc::Insecure, 0, start.toString(), {}}, m_french));
            return false;
        }
        m_allowInsecureHttp = true;
    }
    sync::DavClient client;
    client.setCredentials(start, txtUser->text().trimmed(), password);
    client.setAcceptedFingerprint(saved.fingerprint);
    client.setAllowInsecureHttp(m_allowInsecureHttp);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const sync::DiscoveryResult found = sync::discoverAddressBook(client, start);
    QApplication::restoreOverrideCursor();
    if (found.error) {
        lblResult->setText(sync::errorText(found.error, m_french));
        return false;
    }
    m_collection = found.collection.toString();
    m_testedFor = txtServer->text().trimmed() + '\n' + txtUser->text().trimmed();
    lblResult->setText(
        TextPair{"Carnet d'adresses trouvé : ", "Address book found: "}.in(m_language) +
        m_collection);
    return true;
}

bool SyncOptionsPage::save()
{
    const QString server = txtServer->text().trimmed();
    const QString user = txtUser->text().trimmed();
    sync::SyncSettings settings;
    sync::loadSyncSettings(m_dataFilePath(), settings);
    if (server.isEmpty()) {
        if (user.isEmpty() && txtSyncPassword->text().isEmpty())
            return true; // nothing set up, nothing to keep
        lblResult->setText(serverMissingText());
        return false;
    }
    if (m_testedFor != server + '\n' + user || m_collection.isEmpty()) {
        if (!test())
            return false;
    }
    settings.server = server;
    settings.user = user;
    settings.collection = m_collection;
    settings.allowInsecureHttp = m_allowInsecureHttp && sync::isInsecureHttp(QUrl(m_collection));
    settings.intervalMinutes = chkAutoSync->isChecked() ? spnMinutes->value() : 0;
    QString problem;
    if (!sync::saveSyncSettings(m_dataFilePath(), settings, &problem)) {
        lblResult->setText(problem);
        return false;
    }
    if (!txtSyncPassword->text().isEmpty()) {
        const sync::SyncError stored =
            sync::storePassword(sync::passwordKey(settings), txtSyncPassword->text());
        if (stored) {
            lblResult->setText(sync::errorText(stored, m_french));
            return false;
        }
    }
    emit settingsSaved();
    return true;
}

SyncController::SyncController(TfrmMain *main) : QObject(main), m_main(main)
{
    actSyncNow = new QAction(this);
    actSyncNow->setObjectName("actSyncNow");
    connect(actSyncNow, &QAction::triggered, this, [this] { syncNow(false); });
    // Its entry in the list's one menu, greyed with the reason while no
    // server is set up.
    m_main->setSyncEntry({[this] {
                              sync::SyncSettings settings;
                              return sync::loadSyncSettings(dataFilePath(), settings)
                                         ? QString()
                                         : syncNotSetUpText(m_language);
                          },
                          [this] { actSyncNow->trigger(); }});
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SyncController::timerFired);
    m_sinceInput.start();
    qApp->installEventFilter(this);
    ChooseLanguage(Language::English);
}

void SyncController::ChooseLanguage(Language language)
{
    m_language = language;
    m_french = language == Language::French;
    actSyncNow->setText(TextPair{"Synchroniser maintenant", "Synchronise now"}.in(m_language));
}

QString SyncController::dataFilePath() const
{
    return QString::fromStdString(m_main->dataFileName());
}

void SyncController::setTiming(int minuteMs, int idleMs)
{
    m_minuteMs = std::max(1, minuteMs);
    m_idleMs = std::max(1, idleMs);
}

void SyncController::restartTimer()
{
    sync::SyncSettings settings;
    if (sync::loadSyncSettings(dataFilePath(), settings) && settings.intervalMinutes > 0)
        m_timer.start(int(std::min<qint64>(qint64(settings.intervalMinutes) * m_minuteMs,
                                           std::numeric_limits<int>::max())));
    else
        m_timer.stop();
}

bool SyncController::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        m_sinceInput.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SyncController::timerFired()
{
    const bool busy = QApplication::activeModalWidget() || m_main->hasUnsavedEdits() ||
                      m_sinceInput.elapsed() < m_idleMs;
    if (busy) {
        m_timer.start(m_idleMs); // again once the window may be idle
        emit automaticSyncPostponed();
        return;
    }
    syncNow(true);
    restartTimer();
}

int SyncController::syncNow(bool automatic)
{
    if (m_running)
        return -1;
    sync::SyncSettings settings;
    if (!sync::loadSyncSettings(dataFilePath(), settings)) {
        if (!automatic)
            showPlainMessage(m_main, syncNotSetUpText(m_language));
        return -1;
    }
    sync::PasswordLookup password;
    if (m_passwordSource) {
        QString problem;
        password.password = m_passwordSource(sync::passwordKey(settings), &problem);
        if (!problem.isEmpty())
            password.error = {sync::SyncErrc::NoPassword, 0, problem, {}};
    } else {
        password = sync::readStoredPassword(sync::passwordKey(settings));
    }
    if (password.error) {
        if (!automatic)
            showPlainMessage(m_main, sync::errorText(password.error, m_french));
        return -1;
    }
    sync::DavClient client;
    client.setCredentials(QUrl(settings.collection), settings.user, password.password);
    client.setAcceptedFingerprint(settings.fingerprint);
    client.setAllowInsecureHttp(settings.allowInsecureHttp);

    QProgressDialog progress(TextPair{"Synchronisation...", "Synchronising..."}.in(m_language),
                             TextPair{"Annuler", "Cancel"}.in(m_language), 0, 0, m_main);
    progress.setWindowTitle(applicationTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(automatic ? 2000 : 0);
    connect(&progress, &QProgressDialog::canceled, &client, [&client] { client.cancel(); });

    sync::SyncOptions options;
    options.collection = QUrl(settings.collection);
    options.progress = [&](const char *, int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
    };
    sync::SyncReport report;
    m_running = true;
    const bool ran = m_main->changeStore([&](ContactStore &store, const std::string &path) {
        options.dataFilePath = QString::fromStdString(path);
        options.backup = [&](QString *copy, QString *problem) {
            return sync::backupDataFileBeforeSync(options.dataFilePath, copy, problem);
        };
        report = sync::runSync(store, client, options);
    });
    m_running = false;
    progress.reset();
    if (!ran) {
        if (!automatic)
            showPlainMessage(m_main, TextPair{"Enregistrez ou annulez d'abord les changements du "
                                              "formulaire.",
                                              "Save or undo the changes in the form first."}
                                         .in(m_language));
        return -1;
    }
    m_lastReport = sync::reportText(report, m_french);
    if (!automatic || report.exitCode() == 1)
        showPlainMessage(m_main, m_lastReport);
    emit syncFinished(report.exitCode(), automatic);
    return report.exitCode();
}

} // namespace vcq
