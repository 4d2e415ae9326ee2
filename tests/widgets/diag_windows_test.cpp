#include "app/MDIForm_Main.h"
#include "common/Controls.h"
#include "common/ScriptedDialogs.h"
#include "diag/FehlerProtokoll.h"
#include "diag/SingleInstance.h"
#include "diag/ZusatzInfo.h"
#include "workbench/Form_Auto.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using testsupport::control;

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
        QMdiArea* area = control<QMdiArea>(main, "mdiArea");
        auto stack = area->subWindowList(QMdiArea::StackingOrder);
        ASSERT_EQ(stack.size(), 2);
        EXPECT_EQ(stack.last()->widget(), &log);
        control<QPushButton>(log, "Command1")->click();
        stack = area->subWindowList(QMdiArea::StackingOrder);
        EXPECT_EQ(stack.first()->widget(), &log);  // the bottom of the stack
        EXPECT_EQ(area->activeSubWindow()->widget(), &autoList);
        EXPECT_TRUE(SingleInstance<FehlerProtokoll>::loaded());  // it stays loaded
        // Unloading removes the frame from the area as well.
        SingleInstance<FehlerProtokoll>::unload();
        EXPECT_EQ(area->subWindowList().size(), 1);
    }
    EXPECT_FALSE(SingleInstance<Form_Auto>::loaded());
    session().reset();
}

TEST(ZusatzInfoWindow, ImageOfTheMainWindowShowsTheInformationModally)
{
    testsupport::ScriptedDialogs dialogs;
    session().reset();
    MDIForm_Main main;
    main.show();
    QString seen;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        ZusatzInfo* z = ZusatzInfo::current();
        ASSERT_NE(z, nullptr);
        seen = z->text();
        modal = z->isModal() && QApplication::activeModalWidget() == z;
        control<QToolButton>(*z, "Command2")->click();  // printing goes through the dialog service
        control<QToolButton>(*z, "Command1")->click();
    });
    // A click on the information symbol.
    QTest::mouseClick(control<QLabel>(main, "Image1"), Qt::LeftButton);
    EXPECT_TRUE(modal);
    EXPECT_EQ(seen, MDIForm_Main::informationText());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown.first().kind, QStringLiteral("print"));
    EXPECT_EQ(ZusatzInfo::current(), nullptr);  // unloaded by "Schließen"
    session().reset();
}

}  // namespace
