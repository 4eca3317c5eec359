// SPDX-License-Identifier: GPL-3.0-or-later
#include "tfrm_tapi_call.h"

#include "core/window_placement.h"
#include "widgets/caption_fit.h"
#include "widgets/svg_pictures.h"

#include "call_info.h"
#include "dial_number.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>

#include <cstring>

namespace vcq
{

using namespace tapi;

QPointer<TfrmTAPICall> frmTAPICall;
bool DialerOpen = false;

namespace
{

// Receives the call information of a connected call; used only inside the callback.
alignas(DWORD) std::uint8_t CallInfoBuffer[1024];

} // namespace

TfrmTAPICall::TfrmTAPICall(QWidget *owner, Language language, std::shared_ptr<LineBackend> backend)
    : QWidget(owner,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_language(language), m_backend(std::move(backend))
{
    setWindowTitle(QStringLiteral("Vellora Carnetique"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    setFixedSize(243, 90);

    lblNumber = new QLabel(QStringLiteral("Numéro à composer"), this);
    lblNumber->setGeometry(46, 6, 115, 15);
    lblNumber->setTextFormat(Qt::PlainText);
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(kMaxDestinationLength);
    Edit1->setGeometry(46, 22, 191, 21);
    btnCall = new QPushButton(QStringLiteral("&Composer"), this);
    btnCall->setGeometry(6, 62, 75, 25);
    btnDropCall = new QPushButton(QStringLiteral("&Raccrocher"), this);
    btnDropCall->setGeometry(84, 62, 75, 25);
    btnDropCall->setEnabled(false);
    Image1 = new QLabel(this);
    Image1->setGeometry(10, 10, 32, 32);
    Image1->setPixmap(svgPixmap(QStringLiteral(":/telephony/dialer.svg"), QSize(32, 32)));
    lblStatus = new QLabel(this);
    lblStatus->setGeometry(46, 44, 191, 17);
    // The status may carry the modem's own texts: never markup.
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setAttribute(Qt::WA_TranslucentBackground);
    Button1 = new QPushButton(QStringLiteral("&Annuler"), this);
    Button1->setGeometry(162, 62, 75, 25);
    setFocusProxy(Edit1);
    lblNumber->setBuddy(Edit1);
    // Escape cancels, as in the program's other windows.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Button1, &QPushButton::click);

    connect(btnCall, &QPushButton::clicked, this, &TfrmTAPICall::btnCallClick);
    connect(btnDropCall, &QPushButton::clicked, this, &TfrmTAPICall::btnDropCallClick);
    connect(Button1, &QPushButton::clicked, this, &TfrmTAPICall::Button1Click);

    fitCaptionsWhenFirstShown(this, [this] {
        const Language shown = m_language;
        fitCaptions(this, {[this] { ChooseLanguage(Language::English); },
                           [this] { ChooseLanguage(Language::French); }});
        ChooseLanguage(shown);
    });
    FormCreate();
}

TfrmTAPICall::~TfrmTAPICall()
{
    FormDestroy();
}

void TfrmTAPICall::ChooseLanguage(Language language)
{
    m_language = language;
    setWindowTitle(TextPair{"Vellora numéroteur rapide", "Vellora Quick Dialer"}.in(language));
    lblNumber->setText(TextPair{"Numéro à composer", "Number to call"}.in(language));
    btnCall->setText(TextPair{"&Composer", "C&all"}.in(language));
    btnDropCall->setText(TextPair{"&Raccrocher", "&Hangup"}.in(language));
    Button1->setText(TextPair{"&Annuler", "&Cancel"}.in(language));
}

void TfrmTAPICall::FormCreate()
{
    CallParams = LINECALLPARAMS{};
    ChooseLanguage(m_language);
    CallParams.dwTotalSize = sizeof(LINECALLPARAMS);
    CallParams.dwBearerMode = LINEBEARERMODE_VOICE;
    CallParams.dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;

    auto giveUp = [this] {
        m_backend->lineShutdown(LineAppHandle);
        LineAppHandle = 0;
        LineHandle = 0;
    };
    DWORD deviceCount = 0;
    if (!m_backend ||
        m_backend->lineInitialize(&LineAppHandle, &LineCallback, nullptr, &deviceCount) < 0) {
        LineAppHandle = 0;
    } else if (deviceCount == 0) {
        giveUp();
    } else {
        DWORD version = 0;
        LINEEXTENSIONID extension;
        if (m_backend->lineNegotiateAPIVersion(LineAppHandle, 0, 0x00010000, 0x10000000, &version,
                                               &extension) < 0) {
            giveUp();
        } else if (m_backend->lineOpen(LineAppHandle, LINEMAPPER, &LineHandle, version, 0, 0,
                                       LINECALLPRIVILEGE_NONE, 0, &CallParams) < 0) {
            giveUp();
        }
    }
    if (LineHandle == 0)
        setStatus(QStringLiteral("Error!!"));
}

void TfrmTAPICall::FormDestroy()
{
    if (m_backend) {
        if (LineHandle != 0)
            m_backend->lineClose(LineHandle);
        if (LineAppHandle != 0)
            m_backend->lineShutdown(LineAppHandle);
    }
    LineHandle = 0;
    LineAppHandle = 0;
    // Events must never reach a destroyed window, and the next quick dial needs a new one.
    if (frmTAPICall == this) {
        frmTAPICall = nullptr;
        DialerOpen = false;
    }
}

void TfrmTAPICall::closeEvent(QCloseEvent *event)
{
    // Closing destroys the window, and with it the line.
    setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}

void TfrmTAPICall::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TfrmTAPICall::FormShow()
{
    if (QWidget *owner = parentWidget(); owner != nullptr) {
        const QRect mainFrame = owner->window()->frameGeometry();
        placeFrame(this, [&mainFrame](const QSize &own) { return dialerPosition(mainFrame, own); });
    }
    ChooseLanguage(m_language);
}

void TfrmTAPICall::setStatus(const QString &text)
{
    lblStatus->setText(text);
    emit statusChanged(text);
}

void TfrmTAPICall::btnCallClick()
{
    if (Edit1->text().isEmpty())
        return;
    setStatus(QString());
    const std::string destination = destinationAddress(Edit1->text());
    const LONG result = m_backend ? m_backend->lineMakeCall(LineHandle, &CallHandle,
                                                            destination.c_str(), 0, &CallParams)
                                  : LINEERR_NODRIVER;
    if (result < 0) {
        setStatus(QStringLiteral("Error"));
        return;
    }
    btnCall->setEnabled(false);
    btnDropCall->setEnabled(true);
}

void TfrmTAPICall::btnDropCallClick()
{
    if (!m_backend || m_backend->lineDrop(CallHandle, nullptr, 0) < 0)
        setStatus(QStringLiteral("Error"));
}

void TfrmTAPICall::Button1Click()
{
    hide();
}

QString TfrmTAPICall::connectedText(HCALL call)
{
    QString text = QStringLiteral("Connected: ");
    writeDword(CallInfoBuffer, callinfo::dwTotalSize, sizeof CallInfoBuffer);
    if (m_backend->lineGetCallInfo(call, CallInfoBuffer) == 0 &&
        readDword(CallInfoBuffer, sizeof CallInfoBuffer, callinfo::dwAppNameSize) > 0)
        text += QString::fromStdString(appNameFromCallInfo(CallInfoBuffer, sizeof CallInfoBuffer));
    return text;
}

void TfrmTAPICall::onCallState(DWORD hDevice, DWORD state, DWORD mode)
{
    switch (state) {
    case LINECALLSTATE_IDLE:
        if (hDevice == 0)
            return;
        m_backend->lineDeallocateCall(hDevice);
        setStatus(QStringLiteral("Idle - call deallocated"));
        btnCall->setEnabled(true);
        btnDropCall->setEnabled(false);
        return;
    case LINECALLSTATE_DIALING:
        setStatus(QStringLiteral("Dialing"));
        return;
    case LINECALLSTATE_BUSY:
        setStatus(QStringLiteral("Busy"));
        return;
    case LINECALLSTATE_CONNECTED:
        if (hDevice != 0)
            setStatus(connectedText(hDevice));
        return;
    case LINECALLSTATE_PROCEEDING:
        setStatus(QStringLiteral("Proceeding"));
        return;
    case LINECALLSTATE_DISCONNECTED: {
        QString text = QStringLiteral("Disconnected: ");
        if (mode == LINEDISCONNECTMODE_NORMAL)
            text += QStringLiteral("normal");
        else if (mode == LINEDISCONNECTMODE_BUSY)
            text += QStringLiteral("busy");
        setStatus(text);
        btnDropCallClick();
        return;
    }
    default:
        return;
    }
}

void LineCallback(DWORD hDevice, DWORD dwMsg, std::uintptr_t, DWORD dwParam1, DWORD dwParam2, DWORD)
{
    TfrmTAPICall *window = frmTAPICall.data();
    if (window == nullptr || !window->m_backend)
        return;
    if (dwMsg == LINE_REPLY) {
        window->setStatus(static_cast<LONG>(dwParam2) < 0 ? QStringLiteral("Reply error")
                                                          : QStringLiteral("LINE_REPLY ok"));
    } else if (dwMsg == LINE_CALLSTATE) {
        window->onCallState(hDevice, dwParam1, dwParam2);
    }
}

TfrmTAPICall *CreateStartupDialer(QWidget *owner, Language language)
{
    auto *dialer = new TfrmTAPICall(owner, language);
    frmTAPICall = dialer;
    return dialer;
}

QPoint dialerPosition(const QRect &mainFrame, const QSize &dialerFrame)
{
    const int top = mainFrame.top() + mainFrame.height() / 2 - dialerFrame.height() / 2;
    const int left = mainFrame.left() + mainFrame.width() / 2 - dialerFrame.width() / 3 - 10;
    return {left, top};
}

} // namespace vcq
