#include "app/MDIForm_Main.h"
#include "common/ScriptedDialogs.h"
#include "diag/FehlerProtokoll.h"
#include "diag/SingleInstance.h"
#include "diag/ZusatzInfo.h"
#include "workbench/Form_Auto.h"
#include "Version.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TEST(FehlerProtokollWindow, ClearAddAndVersion)
{
    FehlerProtokoll f;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Fehlerprotokoll"));
    EXPECT_EQ(f.Command1->text(), QStringLiteral("O.K."));
    EXPECT_EQ(f.lblVersion->text(), QStringLiteral(" Version: %1.%2.%3")
                                        .arg(dorvex::version::major)
                                        .arg(dorvex::version::minor)
                                        .arg(dorvex::version::revision));
    f.Add(QStringLiteral("a"));
    f.Add(QStringLiteral("x"));
    EXPECT_EQ(f.text(), QStringLiteral("a\r\nx\r\n"));
    EXPECT_EQ(f.Text1->toPlainText(), QStringLiteral("a\nx\n"));
    f.Clear();
    EXPECT_EQ(f.text(), QString());
    EXPECT_EQ(f.Text1->toPlainText(), QString());
    f.Add(QStringLiteral("Tabelle: Kunden"));
    EXPECT_EQ(f.text(), QStringLiteral("Tabelle: Kunden\r\n"));
}

TEST(FehlerProtokollWindow, OkSendsItBehindTheOtherWindows)
{
    testsupport::ScriptedDialogs dialogs;
    session().reset();
    {
        MDIForm_Main main;
        main.show();
        FehlerProtokoll& log = SingleInstance<FehlerProtokoll>::get();
        Form_Auto& autoList = SingleInstance<Form_Auto>::get();
        main.bringToFront(&log);
        auto stack = main.mdiArea->subWindowList(QMdiArea::StackingOrder);
        ASSERT_EQ(stack.size(), 2);
        EXPECT_EQ(stack.last()->widget(), &log);
        log.Command1->click();
        stack = main.mdiArea->subWindowList(QMdiArea::StackingOrder);
        EXPECT_EQ(stack.first()->widget(), &log);  // the bottom of the stack
        EXPECT_EQ(main.mdiArea->activeSubWindow()->widget(), &autoList);
        EXPECT_TRUE(SingleInstance<FehlerProtokoll>::loaded());  // it stays loaded
        // Unloading removes the frame from the area as well.
        SingleInstance<FehlerProtokoll>::unload();
        EXPECT_EQ(main.mdiArea->subWindowList().size(), 1);
    }
    EXPECT_FALSE(SingleInstance<Form_Auto>::loaded());
    session().reset();
}

TEST(ZusatzInfoWindow, ControlsAndMinimumSize)
{
    ZusatzInfo z;
    EXPECT_EQ(z.windowTitle(), QStringLiteral("Informationen zu dieser Maske"));
    EXPECT_EQ(z.Label1->text(), QStringLiteral("Zusatzinformationen"));
    EXPECT_EQ(z.text(), QStringLiteral("leer"));
    EXPECT_EQ(z.Command1->text(), QStringLiteral("Schließen"));
    EXPECT_EQ(z.Command2->text(), QStringLiteral("Drucken"));
    EXPECT_EQ(z.Label2->text(), QStringLiteral("Weiterführende Informationen :"));
    EXPECT_EQ(z.Label3->text(), QStringLiteral("Benutzen Sie unsere Online-Hilfe durch die F1 - Taste  bzw. schlagen Sie "
                                               "in unserem umfangreichen Benutzerhandbuch nach."));
    z.show();
    const QSize frame = z.frameGeometry().size() - z.size();
    z.resize(50, 50);
    QCoreApplication::processEvents();
    const QSize outer = z.size() + frame;
    EXPECT_EQ(outer.width(), twipsToPixels(kZusatzInfoMinWidth, z.logicalDpiX()));
    EXPECT_EQ(outer.height(), twipsToPixels(kZusatzInfoMinHeight, z.logicalDpiY()));
    // The controls sit where the twip layout puts them, at the screen's resolution.
    const ZusatzInfoLayout& l = z.twipLayout();
    EXPECT_NEAR(pixelsToTwips(z.width(), z.logicalDpiX()), l.Label3.width + 450, 1.0);
    EXPECT_EQ(z.Command1->geometry().left(), twipsToPixels(l.Command1.left, z.logicalDpiX()));
    EXPECT_EQ(z.Command1->width(), twipsToPixels(720, z.logicalDpiX()));
    EXPECT_LT(z.Command2->geometry().right(), z.Command1->geometry().left());
    EXPECT_LT(z.Text1->geometry().bottom(), z.Command1->geometry().top());
    EXPECT_LT(z.Line1->geometry().top(), z.Label2->geometry().top());
}

TEST(ZusatzInfoWindow, MinimizedWindowKeepsItsLayout)
{
    ZusatzInfo z;
    z.show();
    z.resize(500, 600);
    const QRect before = z.Command1->geometry();
    z.setWindowState(Qt::WindowMinimized);
    z.resize(300, 450);
    EXPECT_EQ(z.Command1->geometry(), before);
    z.setWindowState(Qt::WindowNoState);
    z.resize(320, 460);
    EXPECT_NE(z.Command1->geometry(), before);  // laid out again once restored
}

TEST(ZusatzInfoWindow, ImageOfTheMainWindowShowsTheInformationModally)
{
    testsupport::ScriptedDialogs dialogs;
    session().reset();
    MDIForm_Main main;
    main.show();
    QString seen;
    bool modal = false;
    bool centred = false;
    QTimer::singleShot(0, [&] {
        ZusatzInfo* z = ZusatzInfo::current();
        ASSERT_NE(z, nullptr);
        seen = z->text();
        modal = z->isModal() && QApplication::activeModalWidget() == z;
        const QRect screen = z->screen()->geometry();
        centred = std::abs(z->frameGeometry().center().x() - screen.center().x()) <= 1 &&
                  std::abs(z->frameGeometry().center().y() - screen.center().y()) <= 1;
        z->Command2->click();  // printing goes through the dialog service
        z->Command1->click();
    });
    // A click on the information symbol.
    QTest::mouseClick(main.Image1, Qt::LeftButton);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(centred);
    EXPECT_EQ(seen, MDIForm_Main::informationText());
    EXPECT_TRUE(seen.startsWith(QStringLiteral("Dorvex\r\n\r\nMit diesem Programm wird eine SQL-Datenbank auf Vordermann gebracht.\r\n")));
    EXPECT_TRUE(seen.endsWith(QStringLiteral("muß die SQL-Datenbank auf Vordermann gebracht werden.")));
    EXPECT_EQ(seen.count(QStringLiteral("\r\n")), 7);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown.first().kind, QStringLiteral("print"));
    EXPECT_EQ(ZusatzInfo::current(), nullptr);  // unloaded by "Schließen"
    session().reset();
}

}  // namespace
