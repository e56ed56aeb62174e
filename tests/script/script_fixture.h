// A small App for script tests: a 258 x 258 default landscape with the scene
// reset, a scripted frontend, and a temporary directory removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/app.h"
#include "model/scene_reset.h"
#include "platform/scripted_frontend.h"
#include "script/interpreter.h"

namespace kalvenor {

class ScriptTest : public ::testing::Test {
protected:
    App app;
    ScriptedFrontend ui;
    std::filesystem::path dir;

    void SetUp() override
    {
        ASSERT_EQ(resizeLandscape(app.landscape, app.random, kSmallGrid, kSmallGrid), 1);
        computeElevationStatistics(app.landscape);
        resetScene(app.landscape, app.scene);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("kalvenor-script-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }

    void TearDown() override { std::filesystem::remove_all(dir); }

    LineResult run(std::string_view line) { return executeLine(app, ui, line); }

    // Writes a file in the temporary directory and returns its path.
    std::string write(const std::string& name, const std::string& content)
    {
        const std::filesystem::path path = dir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
};

} // namespace kalvenor
