// SPDX-License-Identifier: MPL-2.0
#include "core/General.h"

std::shared_ptr<Mediator> gMediator;
bool gAccepted = false;
std::shared_ptr<platform::LateBound> gAutomation;
