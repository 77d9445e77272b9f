#include "run_fixture.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "base/interface.h"
#include "base/settings.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace runtest {

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

ReadJournal Read(const std::vector<std::string>& journal, int leadLineSpeed, int pathSpeed)
{
    ReadJournal j;
    j.entries = journal;
    int speed = 0;
    auto add = [&](char c) {
        if ((c == 'L' || c == 'P') && !j.shape.empty() && j.shape.back() == c)
            return;
        j.shape.push_back(c);
    };
    for (const std::string& e : journal) {
        if (StartsWith(e, "SetSpeed ")) {
            speed = std::atoi(e.c_str() + 9);
        } else if (StartsWith(e, "Move ")) {
            SimMove m;
            long x = 0, y = 0, feed = 0;
            std::istringstream in(e.substr(5));
            in >> x >> y >> feed;
            m.x_thou = x / 100;
            m.y_thou = y / 100;
            m.feed = feed;
            m.speed = speed;
            m.accepted = e.find("-> 11") != std::string::npos;
            j.moves.push_back(m);
            if (!m.accepted)
                continue;
            if (speed == leadLineSpeed)
                add('L');
            else if (speed == 40 && feed == 30000)
                add('K');
            else if (speed == pathSpeed)
                add('P');
            else
                add('?');
        } else if (e == "StartByte") {
            add('?');
        } else if (StartsWith(e, "GetStitcher ")) {
            add('G');
        } else if (StartsWith(e, "NeedleUp")) {
            add('N');
        } else if (e == "StitchOn") {
            add('+');
        } else if (e == "StitchOff") {
            add('-');
        } else if (e == "DisableX" || e == "DisableY") {
            add('D');
        } else if (e == "EnableX" || e == "EnableY") {
            add('E');
        } else if (e == "HandOver") {
            add('H');
        } else if (e == "Stop") {
            add('!');
        }
    }
    return j;
}

Pts MovesAt(const ReadJournal& j, int speed, long feed)
{
    Pts pts;
    for (const SimMove& m : j.moves)
        if (m.accepted && m.speed == speed && (feed < 0 || m.feed == feed))
            pts.emplace_back(static_cast<float>(m.x_thou), static_cast<float>(m.y_thou));
    return pts;
}

Pts StitchedVertices(const std::string& json)
{
    // {"stitched":[[[x,y],[x,y]],[[x,y]...]],"needles":...}: the numbers up to "needles".
    Pts pts;
    const size_t start = json.find("\"stitched\":");
    const size_t end = json.find("\"needles\"");
    if (start == std::string::npos || end == std::string::npos)
        return pts;
    std::vector<double> numbers;
    const char* p = json.c_str() + start + 11;
    const char* stop = json.c_str() + end;
    while (p < stop) {
        if (*p == '-' || (*p >= '0' && *p <= '9')) {
            char* after = nullptr;
            numbers.push_back(std::strtod(p, &after));
            p = after;
        } else {
            ++p;
        }
    }
    for (size_t i = 0; i + 1 < numbers.size(); i += 2) {
        std::pair<float, float> v(static_cast<float>(numbers[i]), static_cast<float>(numbers[i + 1]));
        if (pts.empty() || pts.back() != v)
            pts.push_back(v);
    }
    return pts;
}

std::vector<Pts> StitchedRuns(const std::string& json)
{
    // {"stitched":[[[x,y],[x,y]],[[x,y],...]],"needles":...}: bracket depth 3 opens a run.
    std::vector<Pts> runs;
    const size_t start = json.find("\"stitched\":");
    const size_t end = json.find("\"needles\"");
    if (start == std::string::npos || end == std::string::npos)
        return runs;
    int depth = 0;
    std::vector<double> numbers;
    const char* p = json.c_str() + start + 11;
    const char* stop = json.c_str() + end;
    while (p < stop) {
        if (*p == '[') {
            if (++depth == 2)
                runs.emplace_back();
            ++p;
        } else if (*p == ']') {
            --depth;
            ++p;
        } else if (*p == '-' || (*p >= '0' && *p <= '9')) {
            char* after = nullptr;
            numbers.push_back(std::strtod(p, &after));
            p = after;
            if (numbers.size() == 2 && !runs.empty()) {
                runs.back().emplace_back(static_cast<float>(numbers[0]),
                                         static_cast<float>(numbers[1]));
                numbers.clear();
            }
        } else {
            ++p;
        }
    }
    return runs;
}

bool SewnAcross(const std::string& json, float gapFrom, float gapTo)
{
    for (const Pts& run : StitchedRuns(json))
        for (size_t i = 1; i < run.size(); ++i) {
            const float a = run[i - 1].first, b = run[i].first;
            if ((a < gapFrom && b > gapTo) || (b < gapFrom && a > gapTo))
                return true;
        }
    return false;
}

int NeedlesAt(const std::string& json, std::pair<float, float> at)
{
    const size_t start = json.find("\"needles\":");
    const size_t end = json.find("\"travel\"");
    if (start == std::string::npos || end == std::string::npos)
        return 0;
    std::vector<double> numbers;
    const char* p = json.c_str() + start + 10;
    const char* stop = json.c_str() + end;
    while (p < stop) {
        if (*p == '-' || (*p >= '0' && *p <= '9')) {
            char* after = nullptr;
            numbers.push_back(std::strtod(p, &after));
            p = after;
        } else {
            ++p;
        }
    }
    int count = 0;
    for (size_t i = 0; i + 1 < numbers.size(); i += 2)
        if (std::fabs(numbers[i] - at.first) <= 1.0 && std::fabs(numbers[i + 1] - at.second) <= 1.0)
            ++count;
    return count;
}

Pts PathPoints(const FullPattern_t* first)
{
    Pts pts;
    for (const FullPattern_t* p = first; p != nullptr; p = p->next)
        pts.emplace_back(static_cast<float>(static_cast<long>(static_cast<double>(p->x) * 100) / 100),
                         static_cast<float>(static_cast<long>(static_cast<double>(p->y) * 100) / 100));
    return pts;
}

bool InOrder(const Pts& sub, const Pts& all)
{
    size_t at = 0;
    for (const auto& want : sub) {
        while (at < all.size() && (std::fabs(all[at].first - want.first) > 1.0f ||
                                   std::fabs(all[at].second - want.second) > 1.0f))
            ++at;
        if (at == all.size())
            return false;
        ++at;
    }
    return true;
}

void StitchingRun::SetUp()
{
    ResetLayout();
    CreatePatternBox();
    PatternBox* box = GetPatternBox(0);
    AddPatternBoxPoint(box, 1, 1, 1, 0);
    AddPatternBoxPoint(box, 1, 11, 0, 0);
    AddPatternBoxPoint(box, 11, 11, 0, 0);
    AddPatternBoxPoint(box, 11, 1, 0, 0);
    SetPatternBoxOrigin(box);
    currentBox = 0;

    stitchRep = 4;
    maxSpeed = kPathSpeed;
    leadLineSpeed = kLeadSpeed;
    jumpStitch = 0.0f;
    minimumSpeed = 3;
    minSpeed = 5.0f;
    acceleration = 40.0f;
    curvature = 40.0f;
    needleUpMethod = MACHINE_TYPE_SERIAL;
    robotIsStitching = 0;
    fpTemp = nullptr;
    allStop = RUN_GO;
    homeMovedSinceArea = 0;
    runWidgets = RunWidgets();
    runWidgets.stitchingToggle = true;

    ui = std::make_unique<ScriptedUi>();
    uiHooks.statusClose = [this](void*) { preparedPath = PathPoints(interface_.stitchList); };
    uiHooks.runPendingEvents = [this] {
        ++ui->pendingEventRuns;
        if (onEvents)
            onEvents();
    };
    auto scripted = uiHooks.showMessage;
    uiHooks.showMessage = [this, scripted](int kind, int buttons, const std::string& text) {
        if (onMessage)
            onMessage(text);
        return scripted(kind, buttons, text);
    };
}

bool StitchingRun::InView() const
{
    return !ui->screens.empty() && ui->screens.back() == Screen::StitchingView;
}

void StitchingRun::AtViewEvent(int n, std::function<void()> act)
{
    auto passes = std::make_shared<int>(0);
    onEvents = [this, n, passes, act = std::move(act)] {
        if (InView() && ++*passes == n)
            act();
    };
}

void StitchingRun::TearDown()
{
    onEvents = nullptr;
    onMessage = nullptr;
    ui.reset();
    ClosePort();
    sim.reset();
    FreeStitchList();
    interface_.measureLine.reset();
    ResetLayout();
}

bool StitchingRun::StartSim(std::vector<std::string> options)
{
    options.insert(options.begin(), {"--time-scale", "25"});
    sim = std::make_unique<SimController>(options);
    if (!sim->ok()) {
        ADD_FAILURE() << sim->problem();
        return false;
    }
    if (OpenPort() < 0) {
        ADD_FAILURE() << "cannot open " << sim->ttyPath();
        return false;
    }
    sim->NewJournal();
    return true;
}

int StitchingRun::Place(const Pts& points_inch, float x, float y)
{
    return PlaceWithStrokes(points_inch, {}, x, y);
}

int StitchingRun::PlaceWithStrokes(const Pts& points_inch, const std::vector<int>& strokesBefore,
                                   float x, float y)
{
    Pattern* p = newPattern();
    for (int before : strokesBefore) {
        p->commandType.push_back(CommandKind::Start);
        p->commandPoint.push_back(before + 1);
    }
    p->commandCount = static_cast<int>(strokesBefore.size());
    for (const auto& pt : points_inch) {
        p->pointX.push_back(pt.first);
        p->pointY.push_back(pt.second);
    }
    p->pointCount = static_cast<int>(points_inch.size());
    UpdatePatternSize(p);
    const int slot = GetNextPattern();
    EXPECT_EQ(StorePattern(slot, p), 1);
    PlaceSlot(slot, x, y);
    return slot;
}

int StitchingRun::PlaceSlot(int slot, float x, float y)
{
    EXPECT_NE(NewPatternLayoutNode(slot, -1, 0, x, y), nullptr);
    return slot;
}

Pts LongZigzag(int teeth)
{
    Pts pts;
    for (int i = 0; i <= 2 * teeth; ++i)
        pts.emplace_back(0.1f * static_cast<float>(i), (i % 2) ? 0.2f : 0.0f);
    return pts;
}

}  // namespace runtest
