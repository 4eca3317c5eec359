// SPDX-License-Identifier: GPL-3.0-or-later
// Construction of the main window: its controls, pictures, texts and place.
#include "tfrm_main.h"

#include "core/message_boxes.h"
#include "widgets/caption_fit.h"
#include "widgets/command_pictures.h"
#include "widgets/cp1252_guard.h"
#include "widgets/explorer_button.h"
#include "widgets/named_widget.h"
#include "widgets/svg_pictures.h"

#include "birth_date_edit.h"
#include "contact_search.h"
#include "settings/program_settings.h"
#include "settings/reg_app.h"
#include "telephony/quick_dial.h"
#include "upper_case_validator.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QSvgRenderer>
#include <QToolButton>

#include <algorithm>
#include <system_error>

namespace vcq
{

namespace
{

constexpr int kClientWidth = 632;
constexpr int kClientHeight = 453;
constexpr int kButtonWidth = 61;
constexpr int kButtonHeight = 74;
constexpr int kLastButtonHeight = 76;
// The right page's columns.
constexpr int kLabelLeft = 352;
constexpr int kLabelWidth = 100;
constexpr int kFieldLeft = 454;
constexpr int kFieldWidth = 168;
constexpr int kPhoneWidth = 146;
constexpr int kDialLeft = 600;
constexpr int kDialSize = 21;
constexpr int kRowHeight = 21;
// The seam's three rings: their top edges, and the ring picture's place.
constexpr int kRingTops[3] = {24, 224, 424};
constexpr int kRingLeft = 302;
constexpr int kRingWidth = 40;
constexpr int kRingHeight = 5;

// The notebook behind the controls: the cover, the two pages and the rings.
QImage drawNotebook(qreal ratio)
{
    QImage image(QSize(kClientWidth, kClientHeight) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer pages(QStringLiteral(":/mainwin/notebook.svg"));
    pages.render(&painter, QRectF(0, 0, kClientWidth, kClientHeight));
    QSvgRenderer ring(QStringLiteral(":/mainwin/ring.svg"));
    for (int top : kRingTops)
        ring.render(&painter, QRectF(kRingLeft, top, kRingWidth, kRingHeight));
    return image;
}

} // namespace

TfrmMain::TfrmMain(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TfrmMain"));
    setWindowTitle(applicationTitle());
    // Fixed size: a single border, a system menu and a minimize box, no maximize box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setWindowIcon(QIcon(svgPixmap(QStringLiteral(":/mainwin/window_icon.svg"), QSize(32, 32))));
    // Drawn on a second thread while the controls are built: the window's
    // first paint is the first to need it.
    try {
        m_notebook = std::async(std::launch::async, drawNotebook, qApp->devicePixelRatio());
    } catch (const std::system_error &) {
        // Drawn at the first paint instead.
    }
    m_passwordCheck = [](const ContactRecord &) { return true; };

    buildControls();
    setupUndo();
    // Characters the data file cannot hold are refused as they are typed.
    refuseUnstorableCharacters(this, [this] { return language(); });
    m_quickDial = new QuickDial(this, {txtPhone1, txtPhone2, txtPhone3, txtCell},
                                {cmdDial1, cmdDial2, cmdDial3, cmdDial4}, Language::English);
    // The captions the form starts with (French, with the label "Email"); they
    // stay when no language is applied later.
    MainTexts builtIn = mainTexts(Language::French);
    builtIn.lblEmail = QStringLiteral("Email");
    builtIn.MsgLastNameRequired.clear();
    builtIn.MsgWrongFileFormat.clear();
    builtIn.MsgDeletePrefix.clear();
    builtIn.MsgReservedLastName.clear();
    fitCaptions(this, {[this] { applyTexts(mainTexts(Language::English)); },
                       [this] { applyTexts(mainTexts(Language::French)); }});
    applyTexts(builtIn);

    RegAppDefaultUserConfig1 = new TRegAppDefaultUserConfig(this);
    setVcqKey(*RegAppDefaultUserConfig1);
    m_positionWriter = [this](int left, int top) {
        WriteVcqPos(*RegAppDefaultUserConfig1, QPoint(left, top));
    };

    // FormCreate.
    setSaveEnabled(false);
    setDeleteEnabled(false);
    setPrintEnabled(false);
    guarded([this] {
        ReadVcqReg();
        SmallFileStatus filter = SmallFileStatus::Missing;
        m_state.filterEntries = LoadFilter(kFilterFileName, &filter);
        ChooseLanguage(language());
        // Said once the language is known; the file is left as it is.
        if (filter == SmallFileStatus::NotRegular)
            showPlainMessage(this, m_texts.MsgFilterNotAFile);
        else if (filter == SmallFileStatus::TooLarge)
            showPlainMessage(this, m_texts.MsgFilterTooLarge);
    });
    // Whatever was read before an error, the dialers it opens speak it.
    m_quickDial->setLanguage(language());
}

TfrmMain::~TfrmMain()
{
    // The model reads the store's list, which goes before the children do.
    delete m_listModel;
}

void TfrmMain::buildControls()
{
    // The command pictures are drawn on a second thread meanwhile.
    std::future<CommandPictureSet> pictures = drawCommandPicturesAhead();
    buildCommandColumn();

    m_listModel = new ContactListModel(m_store.list(), this);
    lstList = makeNamed<ContactListView>(this, "lstList");
    lstList->setModel(m_listModel);
    lstList->setSelectionMode(QAbstractItemView::SingleSelection);
    lstList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstList->setGeometry(76, 12, 218, 429);
    // A click, a right click or a key that moves the highlight.
    connect(lstList, &QAbstractItemView::clicked, this, [this] { highlightMoved(); });
    connect(lstList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { highlightMoved(); });

    buildForm();
    setTabOrder();
    followFieldEdits();
    setupListMenu();
    setupInterop();
    setupSearch();

    const CommandPictureSet drawn = pictures.get();
    const std::pair<TExplorerButton *, CommandPicture> commands[] = {
        {NewBut, CommandPicture::New},        {SaveBut, CommandPicture::Save},
        {TrashBut, CommandPicture::Delete},   {PrintBut, CommandPicture::Print},
        {ConfigBut, CommandPicture::Options}, {ExitBut, CommandPicture::Quit}};
    for (const auto &[button, picture] : commands)
        setCommandPictures(button, picture, drawn);
}

void TfrmMain::buildCommandColumn()
{
    Panel2 = makeNamed<QWidget>(this, "Panel2");
    Panel2->setGeometry(0, 0, kButtonWidth + 4, kClientHeight);
    // The longest caption, "&Enregistrer", has to fit the button's width; the
    // condensed face fits it at the window's own 8 points.
    Panel2->setFont(condensedFont(font()));
    struct Command {
        TExplorerButton **button;
        const char *name;
        void (TfrmMain::*click)();
    };
    const Command commands[] = {
        {&NewBut, "NewBut", &TfrmMain::NewButClick},
        {&SaveBut, "SaveBut", &TfrmMain::SaveButClick},
        {&TrashBut, "TrashBut", &TfrmMain::TrashButClick},
        {&PrintBut, "PrintBut", &TfrmMain::PrintButClick},
        {&ConfigBut, "ConfigBut", &TfrmMain::ConfigButClick},
        {&ExitBut, "ExitBut", &TfrmMain::ExitVcq97},
    };
    int top = 2;
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        const Command &s = commands[i];
        auto *b = makeNamed<TExplorerButton>(Panel2, s.name);
        const int height = i + 1 == std::size(commands) ? kLastButtonHeight : kButtonHeight;
        b->setGeometry(2, top, kButtonWidth, height);
        top += height;
        const auto click = s.click;
        connect(b, &TExplorerButton::clicked, this,
                [this, click] { guarded([&] { (this->*click)(); }); });
        *s.button = b;
    }
}

void TfrmMain::buildForm()
{
    auto label = [this](QLabel *&l, const char *name, int top) {
        l = makeNamed<QLabel>(this, name);
        l->setGeometry(kLabelLeft, top, kLabelWidth, kRowHeight);
    };
    auto edit = [this](QLineEdit *&e, const char *name, int top, int maxLength, int width) {
        e = makeNamed<QLineEdit>(this, name);
        e->setGeometry(kFieldLeft, top, width, kRowHeight);
        e->setMaxLength(maxLength);
    };
    label(lblName, "lblName", 8);
    edit(txtLastName, "txtLastName", 8, 30, kFieldWidth);
    label(lblFirst, "lblFirst", 34);
    edit(txtFirstName, "txtFirstName", 34, 30, kFieldWidth);
    label(lblOrganisation, "lblOrganisation", 60);
    edit(txtOrganisation, "txtOrganisation", 60, 50, kFieldWidth);
    label(lblAddress, "lblAddress", 86);
    edit(txtAddress1, "txtAddress1", 86, 60, kFieldWidth);
    label(lblCity, "lblCity", 112);
    edit(txtCity, "txtCity", 112, 30, kFieldWidth);
    label(lblZip, "lblZip", 138);
    edit(txtZip, "txtZip", 138, 12, kFieldWidth);
    txtZip->setValidator(new UpperCaseValidator(txtZip));
    label(lblState, "lblState", 164);
    edit(txtState, "txtState", 164, 30, kFieldWidth);
    label(lblCountry, "lblCountry", 190);
    edit(txtCountry, "txtCountry", 190, 30, kFieldWidth);

    // The four telephone fields, each with its quick-dial button at its right.
    struct Phone {
        QLabel **label;
        const char *labelName;
        QLineEdit **edit;
        const char *editName;
        QToolButton **dial;
        const char *dialName;
        int top;
    };
    const Phone phones[] = {
        {&lblPhone1, "lblPhone1", &txtPhone1, "txtPhone1", &cmdDial1, "cmdDial1", 215},
        {&lblPhone2, "lblPhone2", &txtPhone2, "txtPhone2", &cmdDial2, "cmdDial2", 241},
        {&lblFax, "lblFax", &txtPhone3, "txtPhone3", &cmdDial3, "cmdDial3", 267},
        {&lblCell, "lblCell", &txtCell, "txtCell", &cmdDial4, "cmdDial4", 293},
    };
    for (const Phone &p : phones) {
        label(*p.label, p.labelName, p.top);
        edit(*p.edit, p.editName, p.top, 30, kPhoneWidth);
        auto *dial = makeNamed<QToolButton>(this, p.dialName);
        dial->setGeometry(kDialLeft, p.top, kDialSize, kDialSize);
        // Quick dial gives it its glyph and its state.
        dial->setAutoRaise(true);
        *p.dial = dial;
    }

    label(lblEmail, "lblEmail", 319);
    edit(txtEmail, "txtEmail", 319, 40, kFieldWidth);

    label(lblFilter, "lblFilter", 345);
    cboFilter = makeNamed<QComboBox>(this, "cboFilter");
    cboFilter->setGeometry(kFieldLeft, 345, kFieldWidth, kRowHeight);
    cboFilter->setEditable(true);
    cboFilter->setInsertPolicy(QComboBox::NoInsert);
    cboFilter->lineEdit()->setMaxLength(static_cast<int>(kMaxStatusLength));

    label(lblComment, "lblComment", 371);
    txtComment = makeNamed<QPlainTextEdit>(this, "txtComment");
    txtComment->setGeometry(kFieldLeft, 371, kFieldWidth, 50);
    txtComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtComment->setTabChangesFocus(true);
    connect(txtComment, &QPlainTextEdit::textChanged, this, [this] { limitCommentLength(); });

    label(lblBirth, "lblBirth", 425);
    txtBirth = makeNamed<BirthDateEdit>(this, "txtBirth");
    txtBirth->setGeometry(kFieldLeft, 425, 70, kRowHeight);

    // Each field is named by its label, in whatever language the label speaks.
    const std::pair<QLabel *, QWidget *> buddies[] = {
        {lblName, txtLastName},    {lblFirst, txtFirstName}, {lblOrganisation, txtOrganisation},
        {lblAddress, txtAddress1}, {lblCity, txtCity},       {lblZip, txtZip},
        {lblState, txtState},      {lblCountry, txtCountry}, {lblPhone1, txtPhone1},
        {lblPhone2, txtPhone2},    {lblFax, txtPhone3},      {lblCell, txtCell},
        {lblEmail, txtEmail},      {lblFilter, cboFilter},   {lblComment, txtComment},
        {lblBirth, txtBirth}};
    for (const auto &[l, field] : buddies)
        l->setBuddy(field);
}

void TfrmMain::setTabOrder()
{
    // Each quick-dial button follows its field, as they sit on screen.
    QWidget *const order[] = {
        lstList,  txtLastName, txtFirstName, txtOrganisation, txtAddress1, txtCity,    txtZip,
        txtState, txtCountry,  txtPhone1,    cmdDial1,        txtPhone2,   cmdDial2,   txtPhone3,
        cmdDial3, txtCell,     cmdDial4,     txtEmail,        cboFilter,   txtComment, txtBirth};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void TfrmMain::applyTexts(const MainTexts &t)
{
    m_texts = t;
    const std::pair<QLabel *, const QString *> labels[] = {
        {lblName, &t.lblName},       {lblFirst, &t.lblFirst},
        {lblAddress, &t.lblAddress}, {lblCity, &t.lblCity},
        {lblZip, &t.lblZip},         {lblState, &t.lblState},
        {lblCountry, &t.lblCountry}, {lblPhone1, &t.lblPhone1},
        {lblPhone2, &t.lblPhone2},   {lblCell, &t.lblCell},
        {lblFax, &t.lblFax},         {lblOrganisation, &t.lblOrganisation},
        {lblEmail, &t.lblEmail},     {lblComment, &t.lblComment},
        {lblBirth, &t.lblBirth},     {lblFilter, &t.lblFilter},
    };
    for (const auto &[l, text] : labels)
        l->setText(*text);
    NewBut->setCaption(t.NewBut);
    SaveBut->setCaption(t.SaveBut);
    TrashBut->setCaption(t.TrashBut);
    PrintBut->setCaption(t.PrintBut);
    ConfigBut->setCaption(t.ConfigBut);
    ExitBut->setCaption(t.ExitBut);
    for (QToolButton *dial : {cmdDial1, cmdDial2, cmdDial3, cmdDial4})
        dial->setToolTip(t.quickDialHint);
    // Names a screen reader says; the fields take theirs from their labels.
    lstList->setAccessibleName(t.lstList);
    cboFilter->lineEdit()->setAccessibleName(t.lblFilter);
    const std::pair<QToolButton *, const QString *> dials[] = {{cmdDial1, &t.lblPhone1},
                                                               {cmdDial2, &t.lblPhone2},
                                                               {cmdDial3, &t.lblFax},
                                                               {cmdDial4, &t.lblCell}};
    for (const auto &[dial, label] : dials)
        dial->setAccessibleName(t.callPhone.arg(*label));
}

void TfrmMain::ChooseLanguage(Language language)
{
    const int selected = selectedStatusIndex();
    cboFilter->clear();
    cboFilter->clearEditText();
    applyTexts(mainTexts(language));
    rebuildStatusList(language);
    m_quickDial->setLanguage(language);
    m_search->setLanguage(language);
    cboFilter->setCurrentIndex(selected < cboFilter->count() ? selected : -1);
}

void TfrmMain::rebuildStatusList(Language language)
{
    QStringList items = statusItems(m_state.filterEntries, language);
    // The list keeps its items sorted the way the desktop sorts them.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(items.begin(), items.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    cboFilter->addItems(items);
    // Adding items to an empty list selects the first; nothing is selected yet.
    cboFilter->setCurrentIndex(-1);
    fitStatusListWidth();
}

void TfrmMain::fitStatusListWidth()
{
    // The drop-down list shows every item whole, however narrow the field;
    // only the field itself is limited to what a status holds.
    QAbstractItemView *view = cboFilter->view();
    view->setTextElideMode(Qt::ElideNone);
    const int frame = 2 * view->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, view);
    const int scrollBar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    const int widest = cboFilter->count() > 0 ? view->sizeHintForColumn(0) : 0;
    view->setMinimumWidth(std::max(cboFilter->width(), widest + frame + scrollBar));
}

int TfrmMain::selectedStatusIndex() const
{
    const int index = cboFilter->currentIndex();
    // Text typed over a chosen item means no item is selected any more; the
    // field shows a long item's beginning.
    if (index < 0 || cboFilter->itemText(index).left(kMaxStatusLength) != cboFilter->currentText())
        return -1;
    return index;
}

Language TfrmMain::language() const
{
    return languageFromCode(m_state.ProgramSettings.Language);
}

void TfrmMain::ReadVcqReg()
{
    vcq::ReadVcqReg(*RegAppDefaultUserConfig1, m_state.ProgramSettings, this);
}

void TfrmMain::paintEvent(QPaintEvent *)
{
    // Drawn once and kept: the notebook is behind every repaint of a field.
    const qreal ratio = devicePixelRatioF();
    if (m_background.isNull() || m_background.devicePixelRatio() != ratio) {
        QImage notebook = m_notebook.valid() ? m_notebook.get() : QImage();
        if (notebook.isNull() || notebook.devicePixelRatio() != ratio)
            notebook = drawNotebook(ratio);
        m_background = QPixmap::fromImage(notebook);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

} // namespace vcq
