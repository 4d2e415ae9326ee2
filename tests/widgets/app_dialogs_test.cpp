#include "app/QtDialogService.h"
#include "app/QtTranslations.h"
#include "common/Fixtures.h"
#include "runtime/Platform.h"
#include "workbench/Konvertierung.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Qt's own dialogs speak German too: the "..." button of the conversion window opens Qt's file
// dialog with German labels and buttons.
TEST(QtDialogs, FileDialogOfTheConversionWindowSpeaksGerman)
{
    ASSERT_TRUE(installGermanQtTranslations(*QCoreApplication::instance()));
    rt::setProgramFolder(testsupport::tempFolder());
    QtDialogService qt;
    setDialogService(&qt);
    Konvertierung window;
    window.show();
    QStringList texts;
    // The service call waits in the dialog's own loop: look at it once it is open.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (const QLabel* l : dialog->findChildren<QLabel*>())
            texts << l->text();
        for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            texts << b->text();
        dialog->reject();
    });
    window.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    setDialogService(nullptr);
    for (const char* german : {"Abbrechen", "Datei&name:", "Suchen in:", "Dateien des Typs:"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(german)))
            << german << " not in " << texts.join(u'|').toStdString();
}

}  // namespace
