#include "framework/App.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    App* app = App::Current();
    return app ? app->Run(instance) : 1;
}
