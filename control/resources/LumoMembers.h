// The member table of ILumoMain: names, DISPIDs, kinds, parameters and result types of every
// member in vtable order, each with the thunk that calls the member through the vtable.
//
// It is the type library of the Linux edition: the control's IDispatch (GetIDsOfNames,
// Invoke) runs on it, and hosts that work by name (lumoctl) read it to convert their
// arguments and to name in/out parameters. Immutable after first use; any thread may read.
#pragma once

#include "control/resources/Lumo_TLB.h"
#include "platform/com/DispatchTable.h"

namespace lumo::control {

const com::DispatchTable<ILumoMain>& lumoMemberTable();

}  // namespace lumo::control
