// The rejection's calibration: how far an adapted model's scores must be
// shifted so that it takes no more of the speaker's other talk for commands.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calibration/confidence_calibration.h"
#include "vocon/objects.h"

namespace talvane::calibration {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

TEST(Calibration, AcceptedFollowsTheEngineThreshold) {
  // Commands lie around -3.5e-3 per frame, other speech around -6e-3.
  EXPECT_EQ(Accepted({-3.5e-3, -6e-3, kNone}, 0), 1);
  EXPECT_EQ(Accepted({-3.5e-3, -6e-3, kNone}, 3e-3), 0);
  EXPECT_GE(vocon::ConfidenceFromScores(-5.2e-3), 3500u);
  EXPECT_LT(vocon::ConfidenceFromScores(-5.4e-3), 3500u);
}

TEST(Calibration, ShiftsOnlyAsFarAsTheStandardModelAllows) {
  // Neither takes anything: no shift.
  EXPECT_EQ(ShiftFor({kNone, kNone}, {kNone, -9e-3}), 0);
  // The adapted model takes one sentence more: shifted just below the
  // threshold's score.
  const double shift = ShiftFor({kNone, -7e-3, -4e-3}, {-4.5e-3, -6e-3, -3.9e-3});
  EXPECT_GT(shift, 0);
  EXPECT_EQ(Accepted({-4.5e-3, -6e-3, -3.9e-3}, shift), 1);
  EXPECT_EQ(Accepted({-4.5e-3, -6e-3, -3.9e-3}, shift - 1e-4), 2);
  // As many as the standard model: no shift, even where it took others.
  EXPECT_EQ(ShiftFor({-4e-3, kNone}, {kNone, -4.4e-3}), 0);
  // A sentence that scores like a clear command is not worth rejecting
  // every command for: the shift stops at 2e-3.
  EXPECT_NEAR(ShiftFor({kNone}, {0.0}), 2e-3, 1e-9);
}

}  // namespace
}  // namespace talvane::calibration
