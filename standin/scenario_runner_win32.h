// Plays a parsed scenario on the player and the service.
#pragma once

#include <string>
#include <vector>

#include "player_win32.h"
#include "scenario.h"
#include "service_win32.h"
#include "timeline.h"

namespace stz::standin {

// Runs every action in order; an action it cannot run is reported on the
// timeline and counted. Returns the number of such actions.
int RunScenario(const std::vector<ScenarioAction>& actions, Player& player, StandinService& service,
                Timeline& timeline, const std::wstring& dllPath);

// The track an action names: artist= title= album= ms= track= year= report=.
// nullopt for "null" (or a malformed value, with `error` set).
std::optional<TrackInfo> TrackFromAction(const ScenarioAction& action, std::string& error);

}  // namespace stz::standin
