// Rect geometry: constraining, fitting, cutting around obstacles, and circumcentres.
#include <gtest/gtest.h>

#include "foundation/PelkoNSArray.h"
#include "foundation/PelkoNSMutableArray.h"
#include "graphics/OFGeometry.h"
#include "support/LogCapture.h"

namespace {

QList<QRectF> rectsOf(const QVariantList &list)
{
    QList<QRectF> rects;
    for (int i = 0; i < list.size(); ++i)
        rects << rectAt(list, i);
    return rects;
}

QVariantList listOf(const QList<QRectF> &rects)
{
    QVariantList list;
    for (const QRectF &r : rects)
        addRect(list, r);
    return list;
}

} // namespace

TEST(OFGeometry, BoxedRects)
{
    EXPECT_EQ(CGRectValue(valueWithCGRect(QRectF(1, 2, 3, 4))), QRectF(1, 2, 3, 4));
    EXPECT_EQ(CGRectValue(QVariant(QStringLiteral("not a rect"))), QRectF());
    EXPECT_EQ(CGRectValue(QVariant()), QRectF());
}

TEST(OFGeometry, ConstrainRectWithItsReport)
{
    const QRectF bounds(0, 0, 100, 100);
    const struct
    {
        QRectF in, out;
    } rows[] = {
        {{-5, 0, 10, 10}, {0, 0, 10, 10}},
        {{95, 95, 10, 10}, {90, 90, 10, 10}},
        {{0, 0, 200, 50}, {0, 0, 100, 50}},
        {{40, -30, 300, 300}, {0, 0, 100, 100}},
    };
    for (const auto &row : rows) {
        pelkotest::LogCapture log;
        EXPECT_EQ(OFConstrainRect(row.in, bounds), row.out);
        EXPECT_EQ(log.reportCount(), 0);
    }
    // A rect the boundary cannot hold (it has no width) is reported and answered anyway.
    pelkotest::LogCapture log;
    EXPECT_EQ(OFConstrainRect(QRectF(150, 10, 0, 10), bounds), QRectF(100, 10, 0, 10));
    EXPECT_TRUE(log.hasFatalReport());
    EXPECT_TRUE(log.reports().contains("Functions: CGRect OFConstrainRect(CGRect, CGRect) \n"));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(
        QStringLiteral("CGRect OFConstrainRect(CGRect, CGRect) [Line ")));
    EXPECT_TRUE(log.lines().first().endsWith(QStringLiteral("] ERROR ASSERT")));
}

TEST(OFGeometry, DistancesAndBestFit)
{
    pelkotest::LogCapture log;
    EXPECT_EQ(OFSquaredDistanceToFitRectInRect(QRectF(-3, 104, 10, 10), QRectF(0, 0, 100, 110)),
              25);
    EXPECT_EQ(OFSquaredDistanceToFitRectInRect(QRectF(95, -2, 10, 10), QRectF(0, 0, 100, 110)), 29);
    EXPECT_EQ(OFSquaredDistanceToFitRectInRect(QRectF(5, 5, 10, 10), QRectF(0, 0, 100, 110)), 0);
    EXPECT_EQ(log.reportCount(), 0);
    // Wider than the destination: reported, still measured.
    EXPECT_EQ(OFSquaredDistanceToFitRectInRect(QRectF(-5, 0, 200, 10), QRectF(0, 0, 100, 110)), 25);
    EXPECT_EQ(log.reportCount(), 1);
    EXPECT_TRUE(log.reports().contains(
        "Functions: CGFloat OFSquaredDistanceToFitRectInRect(CGRect, CGRect) \n"));
    EXPECT_TRUE(log.logged(QStringLiteral("ERROR ASSERT")));

    log.clear();
    EXPECT_EQ(OFBestFitRectInArray(QRectF(0, 0, 10, 10), {}), QRectF());
    // Equal distances: the later candidate.
    const QVariantList tie = listOf({QRectF(10, 0, 50, 50), QRectF(-50, 0, 50, 50)});
    EXPECT_EQ(OFBestFitRectInArray(QRectF(0, 0, 10, 10), tie), QRectF(-50, 0, 50, 50));
    const QVariantList candidates =
        listOf({QRectF(0, 0, 50, 50), QRectF(100, 100, 50, 50), QRectF(5, 0, 50, 50)});
    EXPECT_EQ(OFBestFitRectInArray(QRectF(0, 0, 10, 10), candidates), QRectF(0, 0, 50, 50));
    EXPECT_EQ(log.reportCount(), 0);
    // A foreign item reads as the zero rect.
    QVariantList mixed = listOf({QRectF(100, 100, 50, 50)});
    mixed.append(QStringLiteral("stray"));
    EXPECT_EQ(OFBestFitRectInArray(QRectF(0, 0, 10, 10), mixed), QRectF());
}

TEST(OFGeometry, SplitRectsAroundRect)
{
    QVariantList list = listOf({QRectF(0, 0, 100, 100)});
    OFSplitRectsAroundRect(&list, QRectF(40, 40, 20, 20), 0, 0);
    EXPECT_EQ(rectsOf(list), (QList<QRectF>{QRectF(0, 0, 40, 100), QRectF(60, 0, 40, 100),
                                            QRectF(0, 60, 100, 40), QRectF(0, 0, 100, 40)}));
    list = listOf({QRectF(0, 0, 100, 100)});
    OFSplitRectsAroundRect(&list, QRectF(40, 40, 20, 20), 50, 0);
    EXPECT_EQ(rectsOf(list), (QList<QRectF>{QRectF(0, 60, 100, 40), QRectF(0, 0, 100, 40)}));
    // Rects away from the obstacle stay when big enough; the walk runs from the last.
    list = listOf({QRectF(200, 0, 5, 5), QRectF(0, 0, 100, 100), QRectF(300, 0, 50, 50)});
    OFSplitRectsAroundRect(&list, QRectF(90, 0, 20, 100), 10, 10);
    EXPECT_EQ(rectsOf(list), (QList<QRectF>{QRectF(300, 0, 50, 50), QRectF(0, 0, 90, 100)}));
    OFSplitRectsAroundRect(nullptr, QRectF(0, 0, 1, 1), 0, 0);
}

TEST(OFGeometry, LargestPieceAndExtension)
{
    const QRectF r(0, 0, 100, 100);
    EXPECT_EQ(OFLargestPieceOutsideRect(r, QRectF(70, 0, 50, 100), 0, 0), QRectF(0, 0, 70, 100));
    EXPECT_EQ(OFLargestPieceOutsideRect(r, QRectF(200, 0, 50, 100), 0, 0), r);
    // Ties keep the earlier piece (left before right).
    EXPECT_EQ(OFLargestPieceOutsideRect(r, QRectF(40, -10, 20, 120), 0, 0), QRectF(0, 0, 40, 100));
    EXPECT_EQ(OFLargestPieceOutsideRect(r, QRectF(40, -10, 20, 120), 50, 0), QRectF());
    EXPECT_EQ(OFLargestPieceOutsideRect(r, QRectF(0, 0, 100, 100), 0, 0), QRectF());

    EXPECT_EQ(OFRectExtendedToPoint(QRectF(0, 0, 10, 10), QPointF(15, -5)), QRectF(0, -5, 15, 15));
    EXPECT_EQ(OFRectExtendedToPoint(QRectF(0, 0, 10, 10), QPointF(5, 5)), QRectF(0, 0, 10, 10));
    EXPECT_EQ(OFRectExtendedToPoint(QRectF(0, 0, 10, 10), QPointF(-2, 12)), QRectF(-2, 0, 12, 12));
}

TEST(OFGeometry, Circumcentres)
{
    EXPECT_EQ(OFCircumcenterOfPoints(QPointF(0, 0), QPointF(2, 0), QPointF(0, 2)), QPointF(1, 1));
    EXPECT_EQ(OFCircumcenterOfPoints(QPointF(10, 0), QPointF(0, 10), QPointF(-10, 0)),
              QPointF(0, 0));
    // Rounded to floats.
    const QPointF third = OFCircumcenterOfPoints(QPointF(0, 0), QPointF(0.2, 0), QPointF(0, 0.6));
    EXPECT_EQ(third.x(), double(0.1f));
    // Points on one line have no circle: the zero point.
    EXPECT_EQ(OFCircumcenterOfPoints(QPointF(0, 0), QPointF(1, 1), QPointF(2, 2)), QPointF(0, 0));
    EXPECT_EQ(OFCircumcenterOfPoints(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3)), QPointF(0, 0));
}
