// A machine with fixed answers, for reports that do not depend on where the
// tests run.
#pragma once

#include "diagnostics/diagnostics.h"

#include <gtest/gtest.h>

#include <functional>

class FakeFacts : public ISystemFacts {
public:
    std::string DateText() override { return date; }
    TReportPairs Software() override { return software; }
    std::vector<TDiskFacts> Disks() override { return disks; }
    TReportPairs Hardware() override
    {
        if (onHardware)
            onHardware();
        return hardware;
    }
    std::vector<TReportPairs> Network() override { return network; }
    TScreenFacts Screen() override { return screen; }
    std::optional<std::vector<TDisplayFacts>> Displays() override { return displays; }
    TRendererFacts Renderer() override { return renderer; }
    void OpenFile(const std::string& path) override { opened.push_back(path); }

    std::string date;
    TReportPairs software, hardware;
    std::vector<TDiskFacts> disks;
    std::vector<TReportPairs> network;
    TScreenFacts screen;
    std::optional<std::vector<TDisplayFacts>> displays;
    TRendererFacts renderer;
    std::vector<std::string> opened;  // paths handed to the desktop, in order
    std::function<void()> onHardware; // runs while the report asks for the hardware
};

// Every test starts from clean diagnostics with the fake installed.
class DiagnosticsTest : public testing::Test {
protected:
    void SetUp() override
    {
        Diagnostics_Reset();
        SetSystemFacts(&facts);
    }
    void TearDown() override { Diagnostics_Reset(); }

    FakeFacts facts;
};
