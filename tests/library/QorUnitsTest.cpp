// The library's units start in link order and end in reverse, releasing what they made.
#include <gtest/gtest.h>

#include "library/QorDB.h"
#include "library/QorLook.h"
#include "library/QorTable.h"

namespace {

TEST(QorUnitsTest, StartInstallsTheHooksAndEndReleasesThem) {
  qor::ValueReturned = true;
  qor::InitializeUnits();
  EXPECT_FALSE(qor::ValueReturned);
  EXPECT_EQ(qor::DataSetOpenedHook, &qor::PrepareLookupFields);
  ASSERT_NE(qor::AutoIncQuery(), nullptr);
  EXPECT_NE(qor::AutoIncQuery()->FindField("MaxNumAutoIncQuery"), nullptr);
  qor::InitializeUnits();  // a second start changes nothing
  qor::FinalizeUnits();
  EXPECT_EQ(qor::DataSetOpenedHook, nullptr);
  EXPECT_EQ(qor::AutoIncQuery(), nullptr);
}

}  // namespace
