#pragma once
// The base of every test that touches setup's global settings, special folders or system version: what a
// test changes there is put back when it ends, so every test starts from the same state.

#include <gtest/gtest.h>

#include <memory>

class GlobalSettingsTest : public testing::Test {
protected:
    GlobalSettingsTest();
    ~GlobalSettingsTest() override;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};
