#include "agenda/time_zone.h"

#include <gtest/gtest.h>

namespace trevalda {
namespace {

TEST(TimeZoneTest, Placeholder) { EXPECT_EQ(TimeZone::Utc().Name(), "UTC"); }

}  // namespace
}  // namespace trevalda
