// The window's commands without a window: a program as it starts, a scripted
// frontend, scripted input, the in-memory surface with the main panel, and
// the command context over them.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/app.h"
#include "panels/main_panel.h"
#include "platform/scripted_frontend.h"
#include "shell/startup.h"
#include "shell/window_commands.h"
#include "../panels/scripted_input.h"

namespace kalvenor {

class WindowFixture : public ::testing::Test {
protected:
    std::unique_ptr<App> app = std::make_unique<App>();
    ScriptedFrontend ui;
    ScriptedInput input;
    Surface surface;
    MainPanel main;
    std::unique_ptr<WindowContext> ctx;

    void SetUp() override
    {
        initialiseApp(*app, ui);
        drawMainSurface(surface, main, app->landscape);
        ctx = std::make_unique<WindowContext>(WindowContext{*app, ui, input, surface, main, "/nonexistent/", ""});
    }

    // A control of the open panel.
    Gadget& control(int id)
    {
        for (Gadget& g : main.open->gadgets)
            if (g.id == id) return g;
        ADD_FAILURE() << "no control " << id;
        return main.open->gadgets.front();
    }
};

} // namespace kalvenor
