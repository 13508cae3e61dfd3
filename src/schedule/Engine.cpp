// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Engine.h"

#include "BellCatalogue.h"
#include "DayProfiles.h"
#include "StartUp.h"

#include <utility>

namespace chimewick {

std::string Engine::clickActionOf(std::string_view button) {
    return std::string(button) + "_Click";
}

Engine::Engine(Controls& controls, const Clock& clock, ProgramFolder programFolder)
    : controls_(controls), clock_(clock), ringer_(controls, std::move(programFolder)),
      // The tick rings a slot by running its bell button's click action, the very same
      // operation as the operator's click.
      tick_(controls, clock,
            [this](std::string_view button) { actions_.run(clickActionOf(button)); }) {
    for (const Bell& bell : bellCatalogue())
        actions_.add(clickActionOf(bell.button), [this, &bell] { ringer_.ring(bell); });
    for (const DayProfile& profile : dayProfiles())
        actions_.add(clickActionOf(profile.button),
                     [this, &profile] { applyProfile(profile, controls_); });
    actions_.add("ck4_Click", [this] { ck4Click(controls_); });
    actions_.add("Timer1_Timer", [this] { tick_(); });
    actions_.add("Form_Load", [this] { formLoad(clock_, actions_); });
}

} // namespace chimewick
