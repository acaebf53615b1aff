// The About window's opening animation and how it closes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPointer>

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

TEST(AboutFrmTest, OpensFullyAndClosesAndFreesItselfOnAClick) {
  QPointer<TAboutFrm> about = new TAboutFrm();
  about->SetStepDelay(0);
  EXPECT_EQ(about->Regions().size(), 86u);
  EXPECT_EQ(about->size(), QSize(275, 280));
  EXPECT_TRUE(about->windowFlags() & Qt::FramelessWindowHint);
  about->ShowAnimated();
  ASSERT_TRUE(about);
  EXPECT_TRUE(about->isVisible());
  EXPECT_TRUE(about->mask().isEmpty());  // the full window shows
  EXPECT_DOUBLE_EQ(about->windowOpacity(), 1.0);
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(10, 200), QPointF(10, 200), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(about, &click);
  EXPECT_TRUE(gui_testing::WaitUntil([&] { return about.isNull(); }, 3000));
}

TEST(AboutFrmTest, ClosesWhenAnotherWindowIsActivated) {
  QPointer<TAboutFrm> about = new TAboutFrm();
  about->SetStepDelay(0);
  about->ShowAnimated();
  ASSERT_TRUE(about);
  about->activateWindow();
  gui_testing::WaitUntil([&] { return about && about->isActiveWindow(); }, 1000);
  QWidget other;
  other.show();
  other.activateWindow();
  EXPECT_TRUE(gui_testing::WaitUntil([&] { return about.isNull(); }, 3000));
}

TEST(AboutFrmTest, AnimationTakesAboutTwoAndAHalfSecondsAtItsOwnPace) {
  QPointer<TAboutFrm> about = new TAboutFrm();
  QElapsedTimer clock;
  clock.start();
  about->ShowAnimated();
  const qint64 elapsed = clock.elapsed();
  // 86 region steps and 156 fade steps of 10 ms each.
  EXPECT_GE(elapsed, 2400);
  EXPECT_LT(elapsed, 6000);
  ASSERT_TRUE(about);
  about->close();
  gui_testing::WaitUntil([&] { return about.isNull(); }, 3000);
}

}  // namespace
