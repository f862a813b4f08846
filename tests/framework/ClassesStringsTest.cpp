#include "Classes.h"

#include <gtest/gtest.h>

#include <QtCore/QStringList>

#include <functional>
#include <vector>

namespace {

// Counts OnChanging and OnChange and records the list's lines at each change.
struct ChangeLog {
    int changing = 0;
    int changed = 0;
    QStringList seen;
    void attach(TStringList& list) {
        list.OnChanging = [this](TObject*) { ++changing; };
        list.OnChange = [this, &list](TObject*) {
            ++changed;
            seen << list.ToStringList().join(u'|');
        };
    }
};

// Counts its own destruction.
struct Tracked : TObject {
    explicit Tracked(int& counter) : counter_(counter) {}
    ~Tracked() override { ++counter_; }
    int& counter_;
};

QStringList lines(const TStrings& s) { return s.ToStringList(); }

TEST(StringList, TextEndsEveryLineWithCrLfAndSplitsAtAnyBreak) {
    TStringList list;
    list.SetText(QStringLiteral("a\r\nb\rc\nd"));
    EXPECT_EQ(lines(list), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(list.Text(), QStringLiteral("a\r\nb\r\nc\r\nd\r\n"));

    list.SetText(QStringLiteral("x\r\n\r\n"));  // a final break adds no line, an empty line stays
    EXPECT_EQ(lines(list), (QStringList{"x", ""}));
    list.SetText(QStringLiteral("\n\r"));  // LF then CR: two empty lines, not one CR LF
    EXPECT_EQ(lines(list), (QStringList{"", ""}));
    list.SetText(QString());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), QString());
}

TEST(StringList, EachChangeIsAnnouncedOnceUnlessUpdating) {
    TStringList list;
    ChangeLog log;
    log.attach(list);
    list.Add("a");
    list.Insert(0, "b");
    list.Put(1, "c");
    list.Delete(0);
    EXPECT_EQ(log.changing, 4);
    EXPECT_EQ(log.changed, 4);
    EXPECT_EQ(log.seen, (QStringList{"a", "b|a", "b|c", "c"}));

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("d");
    list.Clear();
    list.EndUpdate();
    EXPECT_EQ(log.changed, 4);  // still inside the outer update
    list.EndUpdate();
    EXPECT_EQ(log.changing, 5);
    EXPECT_EQ(log.changed, 5);
    list.EndUpdate();  // unbalanced: ignored, the count stays usable
    list.Add("e");
    EXPECT_EQ(log.changed, 6);

    list.Clear();
    list.Clear();  // clearing an empty list changes nothing
    EXPECT_EQ(log.changed, 7);
}

TEST(StringList, AssignAndSetTextAnnounceOneChange) {
    TStringList source;
    source.SetText(QStringLiteral("one\r\ntwo\r\nthree"));
    TStringList list;
    list.Add("old");
    ChangeLog log;
    log.attach(list);
    list.Assign(&source);
    EXPECT_EQ(log.changing, 1);
    EXPECT_EQ(log.changed, 1);
    EXPECT_EQ(log.seen, (QStringList{"one|two|three"}));
    EXPECT_TRUE(list.Equals(source));

    list.SetText(QStringLiteral("x\r\ny"));
    EXPECT_EQ(log.changed, 2);

    list.Assign(&list);  // assigning a list to itself keeps its lines
    EXPECT_EQ(lines(list), (QStringList{"x", "y"}));
    list.AddStrings(list);  // adding a list to itself doubles it, once
    EXPECT_EQ(lines(list), (QStringList{"x", "y", "x", "y"}));

    TCollection notStrings(nullptr);
    EXPECT_THROW(list.Assign(&notStrings), EConvertError);
}

TEST(StringList, AssignCarriesObjects) {
    TStringList source;
    int freed = 0;
    auto* obj = new Tracked(freed);
    source.AddObject("a", obj);
    TStringList copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.Objects(0), obj);
    delete obj;
}

TEST(StringList, BadIndexRaisesListError) {
    TStringList list;
    list.Add("a");
    try {
        list.Get(5);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("List index out of bounds (5)"));
    }
    EXPECT_THROW(list.Get(-1), EListError);
    EXPECT_THROW(list.Objects(1), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    EXPECT_THROW(list.Insert(2, "x"), EListError);
    EXPECT_THROW(list.Exchange(0, 1), EListError);
    list.Insert(1, "b");  // at Count: appends
    EXPECT_EQ(lines(list), (QStringList{"a", "b"}));
}

TEST(StringList, MoveToABadIndexLosesNothing) {
    TStringList list;
    list.SetText(QStringLiteral("a\r\nb\r\nc"));
    EXPECT_THROW(list.Move(0, 3), EListError);
    EXPECT_EQ(lines(list), (QStringList{"a", "b", "c"}));
    list.Move(0, 2);
    EXPECT_EQ(lines(list), (QStringList{"b", "c", "a"}));
    list.Move(2, 0);
    EXPECT_EQ(lines(list), (QStringList{"a", "b", "c"}));
    list.Exchange(0, 2);
    EXPECT_EQ(lines(list), (QStringList{"c", "b", "a"}));
}

TEST(StringList, IndexOfIgnoresCaseUnlessAsked) {
    TStringList list;
    list.SetText(QStringLiteral("Alpha\r\nbeta\r\nＡＢＣ"));
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("Beta"), 1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("ａｂｃ")), 2);  // full-width letters fold too
    EXPECT_EQ(list.IndexOf("gamma"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    EXPECT_EQ(list.IndexOf("Alpha"), 0);
}

TEST(StringList, NamesAndValuesSplitAtTheFirstEquals) {
    TStringList list;
    list.SetText(QStringLiteral("Key=a=b\r\nplain\r\n=empty\r\nother=1"));
    EXPECT_EQ(list.Names(0), QStringLiteral("Key"));
    EXPECT_EQ(list.ValueFromIndex(0), QStringLiteral("a=b"));
    EXPECT_EQ(list.Values("KEY"), QStringLiteral("a=b"));
    EXPECT_EQ(list.Names(1), QString());
    EXPECT_EQ(list.ValueFromIndex(1), QString());  // no "=": no value
    EXPECT_EQ(list.Values("plain"), QString());
    EXPECT_EQ(list.Names(2), QString());
    EXPECT_EQ(list.IndexOfName("other"), 3);
    EXPECT_EQ(list.IndexOfName("missing"), -1);

    ChangeLog log;
    log.attach(list);
    list.SetValue("other", "2");
    EXPECT_EQ(list.Get(3), QStringLiteral("other=2"));
    list.SetValue("new", "x");
    EXPECT_EQ(list.Get(4), QStringLiteral("new=x"));
    list.SetValue("KEY", "");  // "" removes the line
    EXPECT_EQ(list.IndexOfName("Key"), -1);
    list.SetValue("absent", "");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(log.changed, 3);
}

TEST(StringList, ValuesOfASortedList) {
    TStringList list;
    list.SetSorted(true);
    list.Add("b=2");
    list.Add("a=1");
    list.SetValue("b", "9");
    list.SetValue("c", "3");
    EXPECT_EQ(lines(list), (QStringList{"a=1", "b=9", "c=3"}));
}

TEST(StringList, SortedListsFindAndHandleDuplicates) {
    TStringList list;
    list.SetText(QStringLiteral("pear\r\nApple\r\nfig\r\napple"));
    list.SetSorted(true);
    EXPECT_EQ(lines(list), (QStringList{"Apple", "apple", "fig", "pear"}));  // stable
    Integer index = -1;
    EXPECT_TRUE(list.Find("FIG", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find("grape", index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.IndexOf("PEAR"), 3);
    EXPECT_THROW(list.Insert(0, "z"), EListError);
    EXPECT_THROW(list.Put(0, "z"), EListError);

    EXPECT_EQ(list.Add("Fig"), 2);  // dupIgnore: the existing line's index, nothing added
    EXPECT_EQ(list.Count(), 4);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add("fig"), EListError);
    list.SetDuplicates(dupAccept);
    list.Add("FIG");
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Add("banana"), 2);
    EXPECT_EQ(list.Add("zebra"), 6);
}

TEST(StringList, CaseSensitivityChangeSortsASortedListAgain) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (const char* s : {"b", "B", "a", "A"}) list.Add(s);
    list.SetCaseSensitive(true);
    // Lower case before upper case once case counts.
    EXPECT_EQ(lines(list), (QStringList{"a", "A", "b", "B"}));
    Integer index = -1;
    EXPECT_TRUE(list.Find("B", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find("c", index));
}

TEST(StringList, CustomSortUsesTheGivenOrder) {
    TStringList list;
    list.SetText(QStringLiteral("10\r\n9\r\n100"));
    ChangeLog log;
    log.attach(list);
    list.CustomSort([](TStringList* l, Integer a, Integer b) {
        return StrToInt(l->Get(a)) - StrToInt(l->Get(b));
    });
    EXPECT_EQ(lines(list), (QStringList{"9", "10", "100"}));
    EXPECT_EQ(log.changed, 1);
}

// Comparisons that give no consistent order: the sort ends, stays in its
// buffer (the sanitizers watch) and loses or doubles no line.
TEST(StringList, CustomSortSurvivesAComparisonWithoutOrder) {
    TStringList list;
    for (int i = 0; i < 300; ++i) list.Add(QString::number(i));
    unsigned state = 12345;
    const std::vector<std::function<Integer(TStringList*, Integer, Integer)>> comparisons = {
        [](TStringList*, Integer, Integer) { return -1; },
        [](TStringList*, Integer, Integer) { return 1; },
        [&](TStringList*, Integer, Integer) {
            state = state * 1103515245u + 12345u;
            return Integer(state >> 16) % 3 - 1;
        },
    };
    for (const auto& compare : comparisons) {
        list.CustomSort(compare);
        ASSERT_EQ(list.Count(), 300);
        QStringList seen;
        for (Integer i = 0; i < list.Count(); ++i) seen << list.Get(i);
        seen.sort();
        seen.removeDuplicates();
        EXPECT_EQ(seen.size(), 300);
    }
    // A consistent order still sorts, stably.
    list.CustomSort([](TStringList* l, Integer a, Integer b) {
        return Integer(l->Get(a).size()) - Integer(l->Get(b).size());
    });
    for (Integer i = 1; i < list.Count(); ++i) EXPECT_LE(list.Get(i - 1).size(), list.Get(i).size());
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
    TStringList list;
    list.SetStringList({"a b", "c\"d", "", "e,f", "g"});
    EXPECT_EQ(list.CommaText(), QStringLiteral("\"a b\",\"c\"\"d\",,\"e,f\",g"));
    list.SetStringList({""});
    EXPECT_EQ(list.CommaText(), QStringLiteral("\"\""));
    list.Clear();
    EXPECT_EQ(list.CommaText(), QString());
}

TEST(StringList, CommaTextSetterSplitsAtCommasAndBlanks) {
    TStringList list;
    list.SetCommaText(QStringLiteral("  a, \"b c\" ,d e,"));
    EXPECT_EQ(lines(list), (QStringList{"a", "b c", "d", "e", ""}));
    list.SetCommaText(QStringLiteral("\"x\"\"y\",\"open"));
    EXPECT_EQ(lines(list), (QStringList{"x\"y", "open"}));
    list.SetCommaText(QStringLiteral("a,,b"));
    EXPECT_EQ(lines(list), (QStringList{"a", "", "b"}));
    // A NUL is a blank like the other control characters: the setter moves
    // past it instead of adding empty lines without end.
    list.SetCommaText(QString::fromUtf16(u"a\x01\0b", 4));
    EXPECT_EQ(lines(list), (QStringList{"a", "b"}));

    // What the getter writes, the setter reads back.
    const QStringList original{"a b", "c\"d", "", "e,f", "g", QString::fromUtf16(u"h\0i", 3)};
    list.SetStringList(original);
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(lines(back), original);
}

TEST(StringList, OwnedObjectsAreFreedWithTheirLines) {
    int freed = 0;
    int changes = 0;
    {
        TStringList list;
        list.SetOwnsObjects(true);
        list.AddObject("a", new Tracked(freed));
        list.AddObject("b", new Tracked(freed));
        list.AddObject("c", new Tracked(freed));
        list.Delete(0);
        EXPECT_EQ(freed, 1);
        list.Move(1, 0);  // moving keeps the object
        EXPECT_EQ(freed, 1);
        EXPECT_EQ(list.IndexOfObject(list.Objects(0)), 0);
        list.Clear();
        EXPECT_EQ(freed, 3);
        list.AddObject("d", new Tracked(freed));
        list.OnChange = [&](TObject*) { ++changes; };
    }
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(changes, 0);  // the list's end is not a change
}

TEST(StringList, StreamsCarryTheAnsiCodePage) {
    TStringList list;
    list.SetStringList({QStringLiteral("日本"), QStringLiteral("ｱ")});
    TMemoryStream stream;
    list.SaveToStream(stream);
    // Expected bytes from Python's cp932 codec.
    EXPECT_EQ(stream.Bytes(), QByteArray::fromHex("93fa967b0d0ab10d0a"));

    TMemoryStream input;
    input.WriteBytes(QByteArray::fromHex("82a00d0ab1"));  // "あ" CR LF "ｱ"
    input.SetPosition(0);
    TStringList back;
    back.LoadFromStream(input);
    EXPECT_EQ(lines(back), (QStringList{QStringLiteral("あ"), QStringLiteral("ｱ")}));

    // Loading reads from the current position to the end.
    input.SetPosition(4);
    back.LoadFromStream(input);
    EXPECT_EQ(lines(back), (QStringList{QStringLiteral("ｱ")}));
}

}  // namespace
