// Data sets and fields: navigation, field classes and conversions, nulls,
// editing, reopening and persistent fields (over the client data set).
#include "DB.h"
#include "DBClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<TClientDataSet> NumbersDataSet(int records) {
    auto ds = std::make_unique<TClientDataSet>(nullptr);
    ds->FieldDefs().Add("N", ftInteger);
    ds->FieldDefs().Add("S", ftString, 10);
    ds->CreateDataSet();
    for (int i = 1; i <= records; ++i) {
        ds->Append();
        ds->FieldByName("N")->SetAsInteger(i * 10);
        ds->FieldByName("S")->SetAsString(QString("r%1").arg(i));
        ds->Post();
    }
    ds->First();
    return ds;
}

TEST(DataSetNavigation, NextStaysOnTheLastRecordWithEof) {
    auto ds = NumbersDataSet(3);
    EXPECT_TRUE(ds->Bof());
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->RecordCount(), 3);
    ds->Next();
    ds->Next();
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_FALSE(ds->Eof());
    EXPECT_FALSE(ds->Bof());
    ds->Next();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 30);
    // From Eof, Prior goes to the next-to-last record.
    ds->Prior();
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 20);
    ds->Prior();
    EXPECT_FALSE(ds->Bof());
    ds->Prior();
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->RecNo(), 1);
    ds->Last();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->FieldByName("S")->AsString(), "r3");
}

TEST(DataSetNavigation, AnEmptyDataSetIsAtBothEndsAndReadsNulls) {
    auto ds = NumbersDataSet(0);
    EXPECT_TRUE(ds->Eof());
    EXPECT_TRUE(ds->Bof());
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_EQ(ds->RecNo(), 0);
    ds->Next();
    ds->Prior();
    EXPECT_TRUE(ds->Eof());
    EXPECT_TRUE(ds->FieldByName("N")->IsNull());
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 0);
    EXPECT_EQ(ds->FieldByName("S")->AsString(), "");
    EXPECT_THROW(ds->Delete(), EDatabaseError);
}

TEST(DataSetNavigation, BookmarksAreVoidOnceTheRecordsChange) {
    auto ds = NumbersDataSet(3);
    ds->Next();
    const TBookmark second = ds->GetBookmark();
    ds->Last();
    ds->GotoBookmark(second);
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 20);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(second));
    EXPECT_THROW(ds->GotoBookmark(second), EDatabaseError);
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 30);
}

TEST(DataSetFields, FindFieldIgnoresCaseAndAnswersNullWhenMissing) {
    auto ds = NumbersDataSet(1);
    EXPECT_EQ(ds->FieldCount(), 2);
    EXPECT_EQ(ds->FindField("s"), ds->Fields(1));
    EXPECT_EQ(ds->Fields(1)->Index(), 1);
    EXPECT_EQ(ds->FindField("missing"), nullptr);
    EXPECT_EQ(ds->FindField(""), nullptr);
    EXPECT_THROW(ds->FieldByName("missing"), EDatabaseError);
    EXPECT_THROW(ds->Fields(2), EListError);
    EXPECT_TRUE(ds->DefaultFields());
}

TEST(DataSetFields, EachDataTypeGetsItsFieldClass) {
    TClientDataSet ds(nullptr);
    const TFieldType types[] = {ftString, ftSmallint, ftInteger, ftWord, ftLargeint, ftBoolean, ftFloat,
                                ftCurrency, ftBCD, ftFMTBcd, ftDate, ftTime, ftDateTime, ftTimeStamp};
    for (TFieldType t : types) ds.FieldDefs().Add(QString("F%1").arg(int(t)), t);
    ds.CreateDataSet();
    for (int i = 0; i < ds.FieldCount(); ++i) EXPECT_EQ(ds.Fields(i)->DataType(), types[i]);
    EXPECT_NE(dynamic_cast<TStringField*>(ds.Fields(0)), nullptr);
    EXPECT_NE(dynamic_cast<TIntegerField*>(ds.Fields(1)), nullptr);  // small integers are integers
    EXPECT_NE(dynamic_cast<TSmallintField*>(ds.Fields(1)), nullptr);
    EXPECT_NE(dynamic_cast<TWordField*>(ds.Fields(3)), nullptr);
    EXPECT_NE(dynamic_cast<TLargeintField*>(ds.Fields(4)), nullptr);
    EXPECT_NE(dynamic_cast<TBooleanField*>(ds.Fields(5)), nullptr);
    EXPECT_NE(dynamic_cast<TFloatField*>(ds.Fields(7)), nullptr);  // currency is a float field
    EXPECT_NE(dynamic_cast<TBCDField*>(ds.Fields(8)), nullptr);
    EXPECT_NE(dynamic_cast<TFMTBCDField*>(ds.Fields(9)), nullptr);
    EXPECT_NE(dynamic_cast<TDateField*>(ds.Fields(10)), nullptr);
    EXPECT_NE(dynamic_cast<TDateTimeField*>(ds.Fields(11)), nullptr);
    EXPECT_NE(dynamic_cast<TSQLTimeStampField*>(ds.Fields(13)), nullptr);
    EXPECT_THROW(CreateFieldOfType(ftUnknown, nullptr), EDatabaseError);
}

class DataSetConversions : public ::testing::Test {
protected:
    void SetUp() override {
        ds.FieldDefs().Add("I", ftInteger);
        ds.FieldDefs().Add("F", ftFloat);
        ds.FieldDefs().Add("S", ftString);
        ds.FieldDefs().Add("B", ftBoolean);
        ds.FieldDefs().Add("D", ftDate);
        ds.FieldDefs().Add("T", ftTime);
        ds.FieldDefs().Add("DT", ftDateTime);
        ds.FieldDefs().Add("SI", ftSmallint);
        ds.FieldDefs().Add("W", ftWord);
        ds.FieldDefs().Add("L", ftLargeint);
        ds.CreateDataSet();
        ds.Append();
    }
    TField* F(const char* name) { return ds.FieldByName(name); }
    TClientDataSet ds{nullptr};
};

TEST_F(DataSetConversions, NewRecordsStartNull) {
    for (int i = 0; i < ds.FieldCount(); ++i) EXPECT_TRUE(ds.Fields(i)->IsNull()) << i;
    EXPECT_EQ(F("I")->AsString(), "");
    EXPECT_EQ(F("F")->AsFloat(), 0.0);
    EXPECT_FALSE(F("B")->AsBoolean());
    EXPECT_EQ(F("D")->AsString(), "");
    F("I")->SetAsInteger(5);
    F("I")->Clear();
    EXPECT_TRUE(F("I")->IsNull());
}

TEST_F(DataSetConversions, NumbersAndText) {
    F("I")->SetAsString("42");
    EXPECT_EQ(F("I")->AsInteger(), 42);
    EXPECT_EQ(F("I")->AsFloat(), 42.0);
    F("F")->SetAsString("1.5");
    EXPECT_EQ(F("F")->AsString(), "1.5");
    F("F")->SetAsFloat(2.5);
    EXPECT_EQ(F("F")->AsInteger(), 2);  // halves to even
    F("F")->SetAsFloat(1e12);
    EXPECT_THROW(F("F")->AsInteger(), EConvertError);
    F("S")->SetAsString("12");
    EXPECT_EQ(F("S")->AsInteger(), 12);
    F("S")->SetAsString("x");
    EXPECT_THROW(F("S")->AsInteger(), EConvertError);
    F("S")->SetAsBoolean(true);
    EXPECT_EQ(F("S")->AsString(), "True");
    F("B")->SetAsString("False");
    EXPECT_EQ(F("B")->AsString(), "False");
    EXPECT_THROW(F("B")->SetAsString("maybe"), EConvertError);
    EXPECT_THROW(F("B")->AsInteger(), EDatabaseError);
    EXPECT_THROW(F("I")->AsBoolean(), EDatabaseError);
}

TEST_F(DataSetConversions, RangesOfTheIntegerClasses) {
    EXPECT_THROW(F("SI")->SetAsInteger(40000), EDatabaseError);
    EXPECT_THROW(F("W")->SetAsInteger(-1), EDatabaseError);
    F("W")->SetAsInteger(65535);
    EXPECT_EQ(F("W")->AsInteger(), 65535);
    auto* large = static_cast<TLargeintField*>(F("L"));
    large->SetAsLargeInt(5000000000LL);
    EXPECT_EQ(large->AsString(), "5000000000");
    EXPECT_EQ(large->AsInteger(), 705032704);  // the low 32 bits
    EXPECT_EQ(large->AsFloat(), 5e9);
    large->SetAsString(" -9223372036854775808");
    EXPECT_EQ(large->AsLargeInt(), INT64_MIN);
    EXPECT_THROW(large->SetAsString("9223372036854775808"), EConvertError);
    EXPECT_EQ(large->AsString(), "-9223372036854775808");
}

TEST_F(DataSetConversions, DatesAndTimesUseTheJapaneseFormats) {
    F("D")->SetAsDateTime(45000);  // 2023-03-15
    EXPECT_EQ(F("D")->AsString(), "2023/03/15");
    F("T")->SetAsDateTime(0.5);
    EXPECT_EQ(F("T")->AsString(), "12:00:00");
    F("DT")->SetAsDateTime(45000.75);
    EXPECT_EQ(F("DT")->AsString(), "2023/03/15 18:00:00");
    F("D")->SetAsString("2024/02/29");
    EXPECT_EQ(F("D")->AsDateTime(), 45351.0);
    EXPECT_THROW(F("D")->SetAsString("2023/02/29"), EConvertError);
}

TEST(DataSetEditing, WritingNeedsEditOrInsertMode) {
    auto ds = NumbersDataSet(2);
    EXPECT_THROW(ds->FieldByName("N")->SetAsInteger(1), EDatabaseError);
    ds->Edit();
    EXPECT_EQ(ds->State(), dsEdit);
    ds->FieldByName("N")->SetAsInteger(11);
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 11);
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 10);
    ds->Edit();
    ds->FieldByName("N")->SetAsInteger(12);
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 12);
    // Moving posts a pending record.
    ds->Append();
    ds->FieldByName("N")->SetAsInteger(99);
    ds->First();
    EXPECT_EQ(ds->RecordCount(), 3);
    ds->Last();
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 99);
    ds->Delete();
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->FieldByName("N")->AsInteger(), 20);
    ds->Append();
    ds->Delete();  // a record being inserted is dropped
    EXPECT_EQ(ds->RecordCount(), 2);
}

TEST(DataSetLifetime, ReopeningMakesNewFieldsAndKeepsTheRecords) {
    auto ds = NumbersDataSet(2);
    ds->Close();
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(ds->FieldCount(), 0);
    EXPECT_EQ(ds->RecordCount(), 0);
    EXPECT_THROW(ds->First(), EDatabaseError);
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->FieldByName("S")->AsString(), "r1");
    EXPECT_TRUE(ds->DefaultFields());
}

TEST(DataSetLifetime, PersistentFieldsAreBoundByName) {
    TComponent owner(nullptr);
    TClientDataSet ds(&owner);
    ds.FieldDefs().Add("A", ftInteger);
    ds.FieldDefs().Add("B", ftString);
    auto* b = new TStringField(&owner);
    b->SetFieldName("b");
    b->SetDataSet(&ds);
    ds.CreateDataSet();
    EXPECT_FALSE(ds.DefaultFields());
    ASSERT_EQ(ds.FieldCount(), 1);
    EXPECT_THROW(b->SetDataSet(nullptr), EDatabaseError);
    ds.Append();
    b->SetAsString("kept");
    ds.Post();
    ds.Close();
    EXPECT_EQ(ds.Fields(0), b);
    ds.Open();
    EXPECT_EQ(b->AsString(), "kept");
    ds.Close();
    auto* stray = new TIntegerField(&owner);
    stray->SetFieldName("NOPE");
    stray->SetDataSet(&ds);
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    delete stray;
    EXPECT_EQ(ds.FieldCount(), 1);
}

}  // namespace
