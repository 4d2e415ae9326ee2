#include "app/QtDialogService.h"
#include "app/QtTranslations.h"
#include "common/Fixtures.h"
#include "runtime/Platform.h"
#include "workbench/Konvertierung.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `inspect` on the modal window once it is open (the service call waits in its own loop).
void whenModalOpens(std::function<void(QWidget*)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        inspect(modal);
    });
}

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
    whenModalOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
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
