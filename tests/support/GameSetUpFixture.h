// GameSetUpFixture: the device fixture over a copy of the generated game folder, with the
// set-up's objects released again after each test (caches before the device).
#pragma once
#include "tests/support/DeviceFixture.h"

class GameSetUpFixture : public DeviceFixture {
 protected:
  void SetUp() override;
  void TearDown() override;
};
