#include "engine/GameGlobals.h"

bool GameRunning = false;
double FrameTime = 0;
bool BulletTime = false;
double WarmUpTimer = 0;
bool WarmedUp = false;
std::string PendingMap;
Long GameMode = -1;

bool DevMode = false;
bool ClassicView = false;
bool FollowMouse = false;

bool MouseHeld = false;
Integer MouseButton = 0;
bool MouseClicked = false;
Single PointerX = 0, PointerY = 0;

Long ScreenWidth = 0, ScreenHeight = 0;
bool Fullscreen = false, Widescreen = false;

D3DVECTOR CamEye, CamTarget, CamUp;
D3DMATRIX MatWorld, MatView, MatProj;
Single CamHeading = 0;
bool CamDetached = false, TitleCam = false, CamNoCull = false;
Single CamShake = 0;

Single SkyR = 0, SkyG = 0, SkyB = 0;

Integer MotherShip = -1;
std::string MotherNodePath;
std::string MotherNodeTitle;
Long SceneEvent = 0;
