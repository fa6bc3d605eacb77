// Counts one modal interaction (a tracked menu and its command, another program's view of an
// appointment) in menuDepth for as long as it lasts. Refresh queries change nothing meanwhile,
// so the list and the items the interaction refers to stay where they are.
#pragma once
#include "../host/host_state.h"

class ModalInteraction {
public:
    ModalInteraction() { ++gHost.menuDepth; }
    ~ModalInteraction() { --gHost.menuDepth; }

private:
    ModalInteraction(const ModalInteraction&) = delete;
    ModalInteraction& operator=(const ModalInteraction&) = delete;
};
