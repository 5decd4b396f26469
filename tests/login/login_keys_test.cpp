#include "login/login_keys.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(LoginKeys, EachKeyTakesItsRoute) {
  using R = LoginKeyRoute;
  struct Case {
    unsigned key;
    bool ctrl;
    R route;
  };
  const Case cases[] = {
      {vk::kReturn, false, R::kToFocusedWindow}, {vk::kReturn, true, R::kToFocusedWindow},
      {vk::kSpace, false, R::kToFocusedWindow},  {vk::kTab, false, R::kToPageAccelerator},
      {vk::kTab, true, R::kToPageAccelerator},   {vk::kEscape, false, R::kDropped},
      {vk::kEscape, true, R::kDropped},          {'A', true, R::kToPageAccelerator},
      {'C', true, R::kToPageAccelerator},        {'V', true, R::kToPageAccelerator},
      {'X', true, R::kToPageAccelerator},        {'A', false, R::kDialogProcessing},
      {'V', false, R::kDialogProcessing},        {'Z', true, R::kDialogProcessing},
      {'B', true, R::kDialogProcessing},         {'a', true, R::kDialogProcessing},
      {0x74 /* F5 */, false, R::kDialogProcessing},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RouteLoginKey(c.key, c.ctrl), c.route) << "key " << c.key << " ctrl " << c.ctrl;
  }
}

}  // namespace
}  // namespace qm
