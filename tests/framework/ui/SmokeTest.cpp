#include "tests/support/UiTestSupport.h"
#include "framework/ui/Forms.h"
#include "framework/ui/StdCtrls.h"

TEST(UiSmoke, FontFacts) {
  fw::TFont f;
  fw::TTextMetric tm = fw::GetTextMetrics(f);
  fw::TCanvas c;
  EXPECT_EQ(c.TextWidth("0"), 7);
  EXPECT_EQ(tm.tmHeight, 13);
  f.SetSize(9);
  c.SetFont(&f);
  EXPECT_EQ(c.TextWidth("0"), 8);
  EXPECT_EQ(fw::GetTextMetrics(f).tmHeight, 14);
}
