// The client data set: creation, field definitions and master-detail links.
#include "DBClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(ClientDataSet, NeedsFieldDefinitionsAndATable) {
    TClientDataSet ds(nullptr);
    EXPECT_THROW(ds.CreateDataSet(), EDatabaseError);
    ds.FieldDefs().Add("A", ftInteger);
    EXPECT_THROW(ds.FieldDefs().Add("a", ftString), EDatabaseError);
    EXPECT_THROW(ds.FieldDefs().Add("", ftString), EDatabaseError);
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    ds.CreateDataSet();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.FieldDefs().IndexOf("a"), 0);
    EXPECT_EQ(ds.FieldDefs().Items(0).DataType, ftInteger);
}

TEST(ClientDataSet, CreatingAgainEmptiesTheTable) {
    TClientDataSet ds(nullptr);
    ds.FieldDefs().Add("A", ftInteger);
    ds.CreateDataSet();
    ds.Append();
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 1);
    ds.CreateDataSet();
    EXPECT_EQ(ds.RecordCount(), 0);
}

class MasterDetail : public ::testing::Test {
protected:
    void SetUp() override {
        master.FieldDefs().Add("CUSTNO", ftInteger);
        master.CreateDataSet();
        for (int no : {1, 2, 3}) {
            master.Append();
            master.Fields(0)->SetAsInteger(no);
            master.Post();
        }
        detail.FieldDefs().Add("CUST", ftInteger);
        detail.FieldDefs().Add("AMOUNT", ftFloat);
        detail.CreateDataSet();
        for (auto [cust, amount] : {std::pair{1, 10.0}, {3, 30.0}, {1, 11.0}}) {
            detail.Append();
            detail.Fields(0)->SetAsInteger(cust);
            detail.Fields(1)->SetAsFloat(amount);
            detail.Post();
        }
        source = new TDataSource(nullptr);
        source->SetDataSet(&master);
    }
    void TearDown() override { delete source; }
    void Link() {
        detail.SetIndexFieldNames("CUST");
        detail.SetMasterFields("CUSTNO");
        detail.SetMasterSource(source);
    }
    TClientDataSet master{nullptr};
    TClientDataSet detail{nullptr};
    TDataSource* source = nullptr;
};

TEST_F(MasterDetail, TheDetailFollowsTheMastersCurrentRecord) {
    EXPECT_EQ(detail.RecordCount(), 3);
    master.First();
    Link();
    EXPECT_EQ(detail.RecordCount(), 2);
    EXPECT_EQ(detail.FieldByName("AMOUNT")->AsFloat(), 10.0);
    detail.Next();
    EXPECT_EQ(detail.FieldByName("AMOUNT")->AsFloat(), 11.0);
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 0);
    EXPECT_TRUE(detail.Eof());
    detail.First();
    EXPECT_TRUE(detail.FieldByName("AMOUNT")->IsNull());
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 1);
    EXPECT_EQ(detail.FieldByName("AMOUNT")->AsFloat(), 30.0);
    // Eof on the master keeps its last record, so the detail stays.
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 1);
}

TEST_F(MasterDetail, NewDetailRecordsTakeTheMastersValues) {
    master.First();
    master.Next();
    Link();
    detail.Append();
    EXPECT_EQ(detail.FieldByName("CUST")->AsInteger(), 2);
    detail.FieldByName("AMOUNT")->SetAsFloat(20);
    detail.Post();
    EXPECT_EQ(detail.RecordCount(), 1);
    EXPECT_EQ(detail.FieldByName("AMOUNT")->AsFloat(), 20.0);
}

TEST_F(MasterDetail, WithoutAMasterEveryRecordShows) {
    master.First();
    Link();
    master.Close();
    EXPECT_EQ(detail.RecordCount(), 0);
    master.Open();
    EXPECT_EQ(detail.RecordCount(), 2);
    delete source;
    source = nullptr;
    EXPECT_EQ(detail.MasterSource(), nullptr);
    EXPECT_EQ(detail.RecordCount(), 3);
}

TEST_F(MasterDetail, AMissingLinkFieldShowsNothing) {
    master.First();
    detail.SetMasterFields("NOSUCH");
    detail.SetMasterSource(source);
    EXPECT_EQ(detail.RecordCount(), 0);
    detail.SetMasterFields("CUSTNO");  // the detail has no CUSTNO column
    EXPECT_EQ(detail.RecordCount(), 0);
    detail.SetIndexFieldNames("cust");
    EXPECT_EQ(detail.RecordCount(), 2);
}

TEST(DataSource, ForgetsAFreedDataSet) {
    TDataSource source(nullptr);
    {
        TClientDataSet ds(nullptr);
        source.SetDataSet(&ds);
        EXPECT_EQ(source.DataSet(), &ds);
    }
    EXPECT_EQ(source.DataSet(), nullptr);
}

}  // namespace
