#pragma once

#include "platform/MousePointer.h"
#include "support/FakeMainWindow.h"
#include "support/RecordingPrinterProvider.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

// A print job run against the fake main window, on recording surfaces, with
// scripted dialogs; notes the mouse pointer while the printer is opened.
class PrintJobTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        MousePointer::set(MousePointer::Default);
        printers.setSetUp(
            [this](RecordingSurface &) { pointerWhileOpen = MousePointer::current(); });
    }
    void TearDown() override { MousePointer::set(MousePointer::Default); }

    const RecordedDocument &onlyDocument() const
    {
        EXPECT_EQ(printers.opened().size(), 1);
        return *printers.opened().at(0).document;
    }

    ScriptedDialogs dialogs;
    FakeMainWindow window;
    RecordingPrinterProvider printers;
    int pointerWhileOpen = -1;
};
