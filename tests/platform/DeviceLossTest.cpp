// The device-loss test hook: a loss with no "lost" answers is ready for Reset at once.
#include <gtest/gtest.h>

#include "platform/Direct3D.h"
#include "platform/Window.h"

TEST(DeviceLoss, ZeroLostAnswersGoStraightToNotReset) {
  setDeviceBackend(DeviceBackendKind::Recording);
  GameWindow window;
  window.setWidth(640 * 15);
  window.setHeight(505 * 15);
  D3DPRESENT_PARAMETERS pp;
  pp.Windowed = true;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.hDeviceWindow = window.hWnd();
  pp.EnableAutoDepthStencil = true;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  std::shared_ptr<Direct3DDevice8> device;
  ASSERT_EQ(DirectX8().Direct3DCreate()->CreateDevice(0, D3DDEVTYPE_HAL, window.hWnd(),
                                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, device),
            D3D_OK);
  device->SimulateDeviceLoss(0);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(pp), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  device.reset();
  setDeviceBackend(DeviceBackendKind::OpenGL);
}
