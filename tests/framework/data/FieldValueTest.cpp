// Values of currency and date-time fields: currency keeps its exact fixed-point value through
// every accessor and through the stored record, and values out of range are refused with
// a conversion error naming the field, leaving the record as it was. Part of the dataset
// suite: it runs on every backend of SuiteBackends() (see DataSetTest.cpp).
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "framework/core/Exceptions.h"
#include "framework/data/MemDataSet.h"
#include "tests/support/DataSetBackends.h"

namespace {

using namespace fw;

class FieldValueTest : public fwtest::TBackendTest {
 protected:
  void SetUp() override {
    TBackendTest::SetUp();
    Ds = NewDataSet("Prices", {{"Price", ftCurrency}, {"Day", ftDate}, {"At", ftTime}, {"Stamp", ftDateTime}});
  }
  TField* F(const char* name) { return Ds->FieldByName(name); }

  TMemDataSet* Ds = nullptr;
};

TEST_P(FieldValueTest, CurrencyKeepsItsExactValueEndToEnd) {
  struct Case {
    std::int64_t units;
    const char* text;
  };
  const Case cases[] = {
      {INT64_MAX, "922337203685477.5807"},
      {INT64_MIN, "-922337203685477.5808"},
      {(std::int64_t{1} << 53) + 1, "900719925474.0993"},
      {-((std::int64_t{1} << 60) + 7), "-115292150460684.6983"},
      {1, "0.0001"},
      {-123456, "-12.3456"},
      {0, "0"},
  };
  TField* price = F("Price");
  EXPECT_EQ(price->GetDataSize(), 8);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TCurrency value{c.units};
    // Written as currency, as text and as a variant; read back every way, before and after
    // the record is stored.
    for (int way = 0; way < 3; ++way) {
      Ds->Append();
      if (way == 0) price->SetAsCurrency(value);
      if (way == 1) price->SetAsString(c.text);
      if (way == 2) price->SetAsVariant(Variant(value));
      EXPECT_EQ(price->GetAsCurrency(), value);
      Ds->Post();
      Ds->Last();
      EXPECT_EQ(price->GetAsCurrency(), value);
      EXPECT_EQ(price->GetAsString(), c.text);
      EXPECT_EQ(price->GetAsVariant().VarType(), varCurrency);
      EXPECT_EQ(price->GetAsVariant(), Variant(value));
      EXPECT_EQ(price->GetAsFloat(), Variant(value).AsFloat());
    }
  }
  // Doubles round to the nearest 1/10000.
  Ds->Append();
  price->SetAsFloat(12.34564);
  EXPECT_EQ(price->GetAsString(), "12.3456");
  price->SetAsFloat(-0.00004);
  EXPECT_EQ(price->GetAsCurrency(), TCurrency{0});
  Ds->Cancel();
}

TEST_P(FieldValueTest, OutOfRangeValuesRaiseAndLeaveTheRecordAsItWas) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* field;
    double value;
    const char* fragment;
  };
  const Case cases[] = {
      {"Price", 1e300, "Overflow while converting variant value 1e+300 of type (Double) into type (Currency)"},
      {"Price", -1e300, "into type (Currency)"},
      {"Price", inf, "value INF of type (Double) into type (Currency)"},
      {"Price", nan, "value NAN of type (Double) into type (Currency)"},
      {"Price", 922337203685477.6, "into type (Currency)"},
      {"Day", 1e300, "'1e+300' is not a valid date and time"},
      {"Day", -3e9, "'-3000000000' is not a valid date and time"},
      {"Day", inf, "'INF' is not a valid date and time"},
      {"Day", nan, "'NAN' is not a valid date and time"},
      {"Day", 2958466, "'2958466' is not a valid date and time"},
      {"At", 1e300, "'1e+300' is not a valid date and time"},
      {"At", -inf, "'-INF' is not a valid date and time"},
      {"At", nan, "'NAN' is not a valid date and time"},
      {"Stamp", 1e300, "'1e+300' is not a valid date and time"},
      {"Stamp", -3e9, "'-3000000000' is not a valid date and time"},
      {"Stamp", nan, "'NAN' is not a valid date and time"},
  };
  Ds->Append();
  F("Price")->SetAsString("5");
  F("Day")->SetAsString("2024-03-01");
  F("At")->SetAsString("12:30:00");
  F("Stamp")->SetAsString("2024-03-01 12:30:00");
  Ds->Post();
  const std::string before[] = {"5", "2024-03-01", "1899-12-30 12:30:00", "2024-03-01 12:30:00"};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " " + std::to_string(c.value));
    Ds->Edit();
    try {
      F(c.field)->SetAsFloat(c.value);
      ADD_FAILURE() << "stored " << F(c.field)->GetAsString();
    } catch (const EDatabaseError& e) {
      std::string message = e.what();
      EXPECT_NE(message.find(std::string("field '") + c.field + "'"), std::string::npos) << message;
      EXPECT_NE(message.find(c.fragment), std::string::npos) << message;
    }
    // Through a variant alike.
    EXPECT_THROW(F(c.field)->SetAsVariant(Variant(c.value)), EDatabaseError);
    EXPECT_FALSE(Ds->GetModified());
    Ds->Cancel();
    int i = 0;
    for (const char* name : {"Price", "Day", "At", "Stamp"}) EXPECT_EQ(F(name)->GetAsString(), before[i++]);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, FieldValueTest, ::testing::ValuesIn(fwtest::SuiteBackends()),
                         fwtest::BackendName);

}  // namespace
