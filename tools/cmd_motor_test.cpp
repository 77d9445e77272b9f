// corvan-tool motor-test --device PATH [x|y|all] [--type T]
// Runs the motor diagnostics against a controller (a real one or mc1sim) and prints the
// test's report line by line as it is written. Settings come from ./defaults.mrv when it is
// there (the first-start values otherwise), as `pack` reads them; the controller's own
// constants are read by the test. Exit status 0 when every test passed (for `all` the stitch
// controller too), 1 for a failed or aborted test or a device that cannot be opened, 2 for
// wrong arguments.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/settings.h"
#include "app/settings_load.h"
#include "base/ui_hooks.h"
#include "machine/motor_test.h"
#include "machine/serial.h"
#include "tools/tool.h"

namespace {

const char* const kCommand = "motor-test";

// Prints whatever complete lines the log gained since the last call.
struct LinePrinter {
    size_t printed = 0;
    std::string shown;
    void Flush(const std::string& text)
    {
        if (text.compare(0, printed, shown) != 0)
            printed = 0;  // the text was replaced: print the new one from its start
        size_t end = text.rfind('\n');
        if (end == std::string::npos || end + 1 <= printed)
            return;
        std::fwrite(text.data() + printed, 1, end + 1 - printed, stdout);
        std::fflush(stdout);
        printed = end + 1;
        shown = text.substr(0, printed);
    }
};

}  // namespace

int RunMotorTestCommand(const ToolArgs& args)
{
    std::string device, which = "all";
    bool whichGiven = false;
    int machineType = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--device" || a == "--type") {
            if (i + 1 >= args.size())
                return ToolUsage(kCommand, "missing value after " + a);
            const std::string& v = args[++i];
            if (a == "--device") {
                device = v;
            } else {
                char* end = nullptr;
                long t = std::strtol(v.c_str(), &end, 10);
                if (v.empty() || *end || t < 0 || t > 11)
                    return ToolUsage(kCommand, "--type needs a machine type from 0 to 11");
                machineType = int(t);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return ToolUsage(kCommand, "unknown option " + a);
        } else if (!whichGiven && (a == "x" || a == "y" || a == "all")) {
            which = a;
            whichGiven = true;
        } else {
            return ToolUsage(kCommand, "the test is x, y or all, not '" + a + "'");
        }
    }
    if (device.empty())
        return ToolUsage(kCommand, "no device given (--device PATH)");

    ResetUiHooks();
    uiHooks.showMessage = [](int, int buttons, const std::string& text) {
        std::fprintf(stderr, "corvan-tool: %s\n", text.c_str());
        return AffirmativeResponse(buttons);
    };
    SetSettingsStartingValues();
    if (access(kSettingsFile, R_OK) == 0) {
        ReadDefaultFloat(REC_ACCELERATION, &acceleration);
        ReadDefaultFloat(REC_CURVATURE, &curvature);
    }
    ApplySettingsRules();
    needleUpMethod = machineType;

    setenv("CORVAN_SERIAL", device.c_str(), 1);
    if (OpenPort() < 0) {
        std::fprintf(stderr, "corvan-tool: cannot open %s\n", device.c_str());
        return kToolFailed;
    }
    TestLog log;
    LinePrinter printer;
    log.onChange = [&] { printer.Flush(log.text); };
    bool passed = false;
    if (which == "all") {
        passed = TestAllMotors(log).AllPassed();
    } else {
        MotorTestResult r = RunMotorTest(which == "x" ? MotorAxis::X : MotorAxis::Y, log);
        passed = r.ran && r.passed;
    }
    ClosePort();
    return passed ? kToolOk : kToolFailed;
}
