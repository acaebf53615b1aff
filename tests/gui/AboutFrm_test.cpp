// The About window: its opening animation as a function of time, and how it closes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "gui/AboutFrm.h"

namespace {

TEST(AboutRegionsTest, TheDesignSizeGives86RegionsOpeningFromACentralStrip) {
  const std::vector<QRect> regions = BuildAboutRegions(TAboutFrm::ClientWidth, TAboutFrm::ClientHeight);
  ASSERT_EQ(regions.size(), 86u);
  // 69 height steps, then 17 width steps; the last built is the first shown.
  EXPECT_EQ(regions.front(), QRect(QPoint(0, 2), QPoint(274, 277)));
  EXPECT_EQ(regions[68], QRect(QPoint(0, 138), QPoint(274, 141)));
  EXPECT_EQ(regions[69], QRect(QPoint(8, 138), QPoint(266, 141)));
  const QRect first = regions.back();
  EXPECT_EQ(first.left(), 136);
  EXPECT_EQ(first.top(), 138);
  EXPECT_EQ(first.right() + 1, 139);
  EXPECT_EQ(first.bottom() + 1, 142);
}

TEST(AboutRegionsTest, NeverHoldsMoreThanItsPlacesAndSurvivesTinySizes) {
  EXPECT_LE(BuildAboutRegions(400, 6).size(), 400u);
  EXPECT_LE(BuildAboutRegions(3, 300).size(), 300u);
  EXPECT_TRUE(BuildAboutRegions(0, 0).empty());
  EXPECT_TRUE(BuildAboutRegions(-5, -5).empty());
}

TEST(AboutFrmTest, TheOpeningPlaysTheRegionsLastToFirstThenFadesInTenMillisecondsAStep) {
  QPointer<TAboutFrm> about = new TAboutFrm();
  about->ShowAnimated();
  TAboutOpening& opening = about->Opening();
  ASSERT_EQ(opening.duration(), (86 + 156) * 10);
  // The test sets the clock itself, between the animation timer's ticks.
  opening.setCurrentTime(0);
  EXPECT_EQ(about->mask(), QRegion(about->Regions().back()));
  EXPECT_DOUBLE_EQ(about->windowOpacity(), 100 / 255.0);
  opening.setCurrentTime(855);
  EXPECT_EQ(about->mask(), QRegion(about->Regions().front()));
  opening.setCurrentTime(860 + 785);
  EXPECT_DOUBLE_EQ(about->windowOpacity(), 178 / 255.0);
  EXPECT_TRUE(about->Animating());
  opening.setCurrentTime(opening.duration());
  EXPECT_TRUE(about->mask().isEmpty());  // the full window shows
  EXPECT_DOUBLE_EQ(about->windowOpacity(), 1.0);
  EXPECT_FALSE(about->Animating());
  about->close();
  EXPECT_TRUE(gui_testing::WaitUntil([&] { return about.isNull(); }));
}

TEST(AboutFrmTest, IsADialogWithVersionAndLicenceThatCloseAndEscapeClose) {
  QPointer<TAboutFrm> about = new TAboutFrm();
  EXPECT_EQ(about->size(), QSize(275, 280));
  EXPECT_FALSE(about->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(about->findChild<QLabel*>("Label3")->text().startsWith("Version "));
  EXPECT_FALSE(about->findChild<QLabel*>("Label4")->text().isEmpty());
  about->ShowAnimated();
  about->findChild<QPushButton*>("btnClose")->click();
  EXPECT_TRUE(gui_testing::WaitUntil([&] { return about.isNull(); }));

  about = new TAboutFrm();
  about->ShowAnimated();
  about->Opening().setCurrentTime(about->Opening().duration());
  QTest::keyClick(about, Qt::Key_Escape);
  EXPECT_TRUE(gui_testing::WaitUntil([&] { return about.isNull(); }));
}

TEST(AboutFrmTest, ClosesAndFreesItselfOnAClick) {
  QPointer<TAboutFrm> about = new TAboutFrm();
  about->ShowAnimated();
  about->Opening().setCurrentTime(about->Opening().duration());
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(10, 200), QPointF(10, 200), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(about, &click);
  EXPECT_TRUE(gui_testing::WaitUntil([&] { return about.isNull(); }));
}

TEST(AboutFrmTest, ClosesWhenAnotherWindowIsActivated) {
  QPointer<TAboutFrm> about = new TAboutFrm();
  about->ShowAnimated();
  about->Opening().setCurrentTime(about->Opening().duration());
  ASSERT_TRUE(gui_testing::ShowActive(*about));
  QWidget other;
  ASSERT_TRUE(gui_testing::ShowActive(other));
  EXPECT_TRUE(gui_testing::WaitUntil([&] { return about.isNull(); }));
}

}  // namespace
