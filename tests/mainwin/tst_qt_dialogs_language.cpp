// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own dialogs speak the program's language: the import's file dialog
// read through its widget tree, in French at start and in English once
// Options has chosen English; our message boxes keep their captions.
#include "window_fixture.h"

#include "mainwin/start_up.h"
#include "settings/reg_app.h"
#include "settings/tfrm_options.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

using namespace testutil;

namespace
{

// The texts of the file dialog's labels and of its Cancel button.
QStringList labelsOf(QFileDialog *dialog)
{
    QStringList texts;
    for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        const auto *label = dialog->findChild<QLabel *>(QString::fromLatin1(name));
        texts << (label ? label->text() : QStringLiteral("(no %1)").arg(name));
    }
    const auto *box = dialog->findChild<QDialogButtonBox *>();
    const QPushButton *cancel = box ? box->button(QDialogButtonBox::Cancel) : nullptr;
    texts << (cancel ? cancel->text() : QStringLiteral("(no Cancel)"));
    return texts;
}

} // namespace

class TestQtDialogsLanguage : public QObject
{
    Q_OBJECT
    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void fileDialogFollowsTheLanguage()
    {
        QVERIFY(writeDataFile({person("Adams", "Ann")}));
        {
            vcq::TRegAppDefaultUserConfig reg;
            vcq::setVcqKey(reg);
            vcq::RegAppActivation activation(reg);
            reg.WriteIntegerValue("Language", 1);
        }
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        windows.main->show();
        QStringList seen;
        m_folder.watcher->onDialog = [&seen](QDialog *d) {
            if (auto *f = qobject_cast<QFileDialog *>(d))
                seen = labelsOf(f);
        };
        windows.main->ImportContactsClick();
        QCOMPARE(seen, (QStringList{
                           "Voir dans :", "&Nom de fichier :", "Fichiers de type :", "Annuler"}));

        auto *options = qobject_cast<vcq::TfrmOptions *>(windows.options);
        options->show();
        options->cboLang->setCurrentIndex(0);
        QTest::mouseClick(options->btnOk, Qt::LeftButton);
        QVERIFY(!options->isVisible());
        windows.main->ImportContactsClick();
        QCOMPARE(seen, (QStringList{"Look in:", "File &name:", "Files of type:", "Cancel"}));

        // Our confirmation keeps its English caption and buttons in French.
        options->show();
        options->cboLang->setCurrentIndex(1);
        QTest::mouseClick(options->btnOk, Qt::LeftButton);
        m_folder.watcher->answers << "Cancel";
        QTest::mouseClick(button(*windows.main, "TrashBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].title, QString("Confirm"));
        QCOMPARE(m_folder.watcher->boxes[0].buttons, (QStringList{"OK", "Cancel"}));
        QCOMPARE(windows.main->listModel().count(), 1);
    }
};

VCQ_WINDOW_TEST_MAIN(TestQtDialogsLanguage)
#include "tst_qt_dialogs_language.moc"
