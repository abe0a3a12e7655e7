#include "foundation/FoundationFunctions.h"
#include "foundation/PelkoNSArray.h"
#include "foundation/PelkoNSMutableArray.h"
#include "foundation/PelkoNSObject.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <gtest/gtest.h>

namespace {

struct Shape
{
    int id = 0;
    bool operator==(const Shape &) const = default;
};

// An object that copies itself with copy2 (and marks the copy).
struct Marked
{
    int id = 0;
    bool copied = false;
    std::shared_ptr<Marked> copy2() const { return std::make_shared<Marked>(Marked{id, true}); }
};

struct NotCopyable
{
    NotCopyable() = default;
    NotCopyable(const NotCopyable &) = delete;
};

class ArrayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::setLogSink([this](const QString &line) { logs.append(line); });
        platform::setReportSink([this](const QByteArray &text) { reports += text; });
    }
    void TearDown() override
    {
        platform::setLogSink(nullptr);
        platform::setReportSink(nullptr);
    }
    QStringList logs;
    QByteArray reports;
};

TEST_F(ArrayTest, IdentityAndCaseInsensitiveContainment)
{
    Shape a{1}, b{1};
    const QList<Shape *> shapes{&a};
    EXPECT_TRUE(containsObject2(shapes, &a));
    EXPECT_FALSE(containsObject2(shapes, &b)); // equal, but another object
    EXPECT_FALSE(containsObject2(shapes, static_cast<Shape *>(nullptr)));
    auto shared = std::make_shared<Shape>();
    EXPECT_TRUE(containsObject2(QList<std::shared_ptr<Shape>>{shared}, shared.get()));

    const QVariantList mixed{QVariant(5), QStringLiteral("Makefile"), QVariant()};
    EXPECT_TRUE(containsStringNoCase(mixed, QStringLiteral("makeFILE")));
    EXPECT_FALSE(containsStringNoCase(mixed, QStringLiteral("5")));
    EXPECT_FALSE(containsStringNoCase(mixed, QString()));
    EXPECT_TRUE(containsStringNoCase(QStringList{QStringLiteral("ÄB")}, QStringLiteral("äb")));
    EXPECT_EQ(length(mixed), 3);
}

TEST_F(ArrayTest, BoxedValues)
{
    QVariantList list;
    addRange(list, Range{3, 4});
    addPoint(list, QPointF(1.5, -2));
    addRect(list, QRectF(1, 2, 3, 4));
    list.append(QStringLiteral("text"));

    EXPECT_EQ(rangeAt(list, 0), (Range{3, 4}));
    EXPECT_EQ(rangeAt(list, 1), (Range{NotFound, 0}));
    EXPECT_EQ(rangeAt(list, 9), (Range{NotFound, 0}));
    EXPECT_EQ(pointAt(list, 1), QPointF(1.5, -2));
    EXPECT_EQ(rectAt(list, 2), QRectF(1, 2, 3, 4));
    EXPECT_TRUE(reports.isEmpty());

    EXPECT_EQ(pointAt(list, 3), QPointF());
    EXPECT_TRUE(logs.contains(QStringLiteral("**** ERROR: pointAt not valid point object: 3 ***")));
    EXPECT_THROW(pointAt(list, 4), platform::Exception);
    EXPECT_EQ(rectAt(list, 0), QRectF());
    EXPECT_EQ(rectAt(list, -1), QRectF());
    EXPECT_TRUE(reports.contains("EXCEPTION PROBLEM"));
}

TEST_F(ArrayTest, AppendingAndDuplicates)
{
    QStringList names{QStringLiteral("a")};
    addObjectsFromArray2(names, static_cast<const QStringList *>(nullptr));
    addObjectsFromArray2(names, names); // the list itself
    EXPECT_EQ(names, (QStringList{QStringLiteral("a"), QStringLiteral("a")}));

    QStringList unique;
    addObject_CheckDuplicate(unique, QStringLiteral("x"));
    addObject_CheckDuplicate(unique, QStringLiteral("x"));
    addObject_CheckDuplicate(unique, QString());
    EXPECT_EQ(unique, QStringList{QStringLiteral("x")});
    EXPECT_TRUE(logs.contains(
        QStringLiteral("*** ERR: addObject_CheckDuplicate: ERROR in object is NULL")));

    // Pointers to equal objects count as duplicates, as equal objects do.
    Shape one{1}, other{1}, two{2};
    QList<Shape *> shapes;
    addObject_CheckDuplicate(shapes, &one);
    addObject_CheckDuplicate(shapes, &other);
    addObject_CheckDuplicate(shapes, &two);
    EXPECT_EQ(shapes.size(), 2);

    QVariantList values;
    addObject_CheckDuplicate(values, QVariant(QStringLiteral("1")));
    addObject_CheckDuplicate(values, QVariant(1));
    addObject_CheckDuplicate(values, QVariant());
    EXPECT_EQ(values.size(), 2);
}

TEST_F(ArrayTest, FileNamesSortAsAFileManagerShowsThem)
{
    QStringList names{QStringLiteral("file10.txt"), QStringLiteral("File2.txt"),
                      QStringLiteral("apple"),      QStringLiteral("file1.txt"),
                      QStringLiteral("10"),         QStringLiteral("file003.txt"),
                      QStringLiteral("Zeta"),       QStringLiteral("file1")};
    sortUsingSelectorForFileFolderName(names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("10"), QStringLiteral("apple"),
                                  QStringLiteral("file1"), QStringLiteral("file1.txt"),
                                  QStringLiteral("File2.txt"), QStringLiteral("file003.txt"),
                                  QStringLiteral("file10.txt"), QStringLiteral("Zeta")}));
}

TEST_F(ArrayTest, ReuseCopiesByTheBestMeansAvailable)
{
    EXPECT_EQ(reuse(static_cast<const Shape *>(nullptr)), nullptr);
    const Shape shape{7};
    auto copy = reuse(&shape);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), &shape);
    EXPECT_EQ(copy->id, 7);

    const auto marked = std::make_shared<Marked>(Marked{3});
    auto markedCopy = reuse(marked);
    ASSERT_NE(markedCopy, nullptr);
    EXPECT_TRUE(markedCopy->copied);

    const NotCopyable fixed;
    EXPECT_EQ(reuse(&fixed), nullptr);
}

TEST_F(ArrayTest, DeepCopyGivesIndependentElements)
{
    QList<std::shared_ptr<Shape>> source{std::make_shared<Shape>(Shape{1}),
                                         std::make_shared<Shape>(Shape{2})};
    QList<std::shared_ptr<Shape>> target{std::make_shared<Shape>(Shape{9})};
    EXPECT_TRUE(DeepCopyArray(&source, &target));
    ASSERT_EQ(target.size(), 2);
    EXPECT_NE(target[0].get(), source[0].get());
    EXPECT_EQ(target[1]->id, 2);
    EXPECT_TRUE(DeepCopyArray(&source, &source));
    EXPECT_FALSE(DeepCopyArray(&source, static_cast<QList<std::shared_ptr<Shape>> *>(nullptr)));

    QList<std::shared_ptr<NotCopyable>> fixed{std::make_shared<NotCopyable>()};
    QList<std::shared_ptr<NotCopyable>> fixedCopy;
    EXPECT_FALSE(DeepCopyArray(&fixed, &fixedCopy));
    EXPECT_TRUE(DeepCopyArrayToNew(fixed).isEmpty());
    EXPECT_TRUE(DeepCopyArrayToNew(static_cast<const QStringList *>(nullptr)).isEmpty());
    EXPECT_EQ(DeepCopyArrayToNew(QStringList{QStringLiteral("a")}),
              QStringList{QStringLiteral("a")});
}

TEST_F(ArrayTest, SwapAndReverse)
{
    QStringList list{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    struct Case
    {
        int i, j;
        bool ok;
    };
    for (const Case c : {Case{0, 0, false}, Case{-1, 1, false}, Case{0, 3, false}}) {
        EXPECT_EQ(ArraySwap(&list, c.i, c.j), c.ok) << c.i << "," << c.j;
    }
    EXPECT_TRUE(ArraySwap(&list, 0, 2));
    EXPECT_EQ(list, (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_FALSE(ArraySwap(static_cast<QStringList *>(nullptr), 0, 1));
    QStringList single{QStringLiteral("x")};
    EXPECT_FALSE(ArraySwap(&single, 0, 1));

    ReverseOrder(&list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    ReverseOrder(static_cast<QStringList *>(nullptr));
}

TEST_F(ArrayTest, AppendStringsNeverNull)
{
    EXPECT_EQ(AppendString2(QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("ab"));
    EXPECT_FALSE(AppendString2(QString(), QString()).isNull());
    EXPECT_EQ(AppendString3(QString(), QStringLiteral("b"), QStringLiteral("c")),
              QStringLiteral("bc"));
    EXPECT_FALSE(AppendString3(QString(), QString(), QString()).isNull());
}

} // namespace
