#pragma once
// TSetOutput: the "Output" page of the Options sheet: the output device every sound page plays
// on, from the sound server's list, and the output latency (Auto or fixed). Thread: GUI.

#include <functional>
#include <vector>

#include "controls/context_help_win.h"
#include "framework/property_sheet.h"
#include "platform/backends/output_devices.h"

class QComboBox;

class TSetOutput : public framework::TPropertyPage, public controls::ContextHelpWin {
  public:
    static constexpr int resourceId = 600;
    static constexpr int deviceLabel = 601;
    static constexpr int deviceCombo = 602;
    static constexpr int latencyLabel = 603;
    static constexpr int latencyCombo = 604;
    static constexpr int nextPlayLabel = 605;

    // The fixed latencies offered after Auto, in ms.
    static constexpr int fixedLatencies[] = {5, 10, 15, 20, 25, 30, 40, 50, 75, 100};

    using DeviceLister = std::function<std::vector<platform::OutputDevice>()>;

    // `listDevices` (may be empty: no list) is asked once, when the page is first shown.
    explicit TSetOutput(DeviceLister listDevices, QWidget* parent = nullptr);

    void TransferData(framework::TransferDirection direction) override;

    QComboBox* deviceBox() const;
    QComboBox* latencyBox() const;

  protected:
    void setupWindow() override;

  private:
    LIRVETO_RESPONSE_TABLE2(TSetOutput, framework::TPropertyPage, controls::ContextHelpWin);

    void selectDevice(const QString& name);
    void selectLatency(int ms);

    DeviceLister listDevices;
};
