#include <gtest/gtest.h>

#include "http/HttpPostStat.h"
#include "tests/http/HttpTestSupport.h"

using namespace Vonar;

TEST(HttpPostStatTest, InactiveStatisticsThrowFromEveryAccessorButTheActiveTest) {
  CHttpPostStatA stat;
  EXPECT_FALSE(stat.IsActive());
  struct Row {
    const char* name;
    std::function<void()> call;
  } rows[] = {
      {"TotalByte", [&] { stat.TotalByte(); }},
      {"ActualTotalByte", [&] { stat.ActualTotalByte(); }},
      {"ActualPostedByte", [&] { stat.ActualPostedByte(); }},
      {"PostedByte", [&] { stat.PostedByte(); }},
      {"TotalCount", [&] { stat.TotalCount(); }},
      {"PostedCount", [&] { stat.PostedCount(); }},
      {"FileCount", [&] { stat.FileCount(); }},
      {"PostedFileCount", [&] { stat.PostedFileCount(); }},
      {"CurrParam", [&] { stat.CurrParam(); }},
      {"CurrFile", [&] { stat.CurrFile(); }},
      {"CurrParamTotalByte", [&] { stat.CurrParamTotalByte(); }},
      {"CurrParamPostedByte", [&] { stat.CurrParamPostedByte(); }},
      {"CurrParamRemainByte", [&] { stat.CurrParamRemainByte(); }},
      {"CurrParamIsFile", [&] { stat.CurrParamIsFile(); }},
      {"CurrParamIsComplete", [&] { stat.CurrParamIsComplete(); }},
      {"_TestStartNewEntry", [&] { stat._TestStartNewEntry(); }},
      {"_TestAddActualPostedBytes", [&] { stat._TestAddActualPostedBytes(1); }},
      {"_TestAddPostedBytes", [&] { stat._TestAddPostedBytes(1); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CaughtHttpError caught = CatchHttpError(row.call);
    EXPECT_EQ(caught.message, std::string("CHttpPostStatT::") + row.name + ": The post context is not active.");
    EXPECT_EQ(caught.code, 0u);
  }
}

TEST(HttpPostStatTest, CountersFollowTheClientsStepsAndCopiesAreDeep) {
  CHttpPostStatA stat;
  stat._MakeActive(100, 40, 2, 1);
  EXPECT_STREQ(stat.CurrParam(), "NULL");
  EXPECT_STREQ(stat.CurrFile(), "NULL");
  stat._StartNewEntry("photo", 30, TRUE, "/tmp/p.jpg");
  stat._AddActualPostedBytes(50);
  stat._AddPostedBytes(10);
  EXPECT_EQ(stat.ActualPostedByte(), 60u);
  EXPECT_EQ(stat.PostedByte(), 10u);
  EXPECT_EQ(stat.CurrParamRemainByte(), 20u);
  EXPECT_TRUE(stat.CurrParamIsFile());
  EXPECT_FALSE(stat.CurrParamIsComplete());
  EXPECT_EQ(stat.PostedFileCount(), 1u);

  CHttpPostStatA copy;
  copy = stat;
  stat._StartNewEntry("text", 10);
  EXPECT_STREQ(copy.CurrFile(), "/tmp/p.jpg");
  EXPECT_STREQ(stat.CurrFile(), "NULL");
  EXPECT_EQ(stat.PostedCount(), 2u);

  CaughtHttpError caught = CatchHttpError([&] { stat._TestAddPostedBytes(0xFFFFFFFFu); });
  EXPECT_EQ(caught.code, 112u);
  stat._MakeInactive();
  EXPECT_FALSE(stat.IsActive());
}
