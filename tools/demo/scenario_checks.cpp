#include "tools/demo/scenario_checks.h"

#include <QWidget>

#include "tools/demo/bar_history.h"
#include "tools/demo/window_shots.h"
#include "tools/kit/sample_image.h"
#include "ui/text_progress_ctrl.h"
#include "update/status_texts.h"
#include "update/update_worker.h"

bool MainWindowShown() {
    QWidget* window = MainWindowWidget();
    return window != nullptr && window->isVisible();
}

bool UpdaterIdle() {
    return RunningWorkerCount() == 0;
}

int VisibleBarPos() {
    return g_progress[0].GetPos();
}

bool DeviceHoldsImage(const std::shared_ptr<CSimulatedDevice>& device,
                      const std::vector<std::uint8_t>& image) {
    return device != nullptr && DeviceHoldsImage(*device, image);
}

CStep WaitForStartStep(const CBarHistory& bar) {
    return {"start the updater", {}, "the main window showing \"Wait Connect..\"", [&bar] {
                return MainWindowShown() && bar.TextSeenSince(0, kTextWaitConnect);
            }};
}
