// The output's family on the shared event worker: how its worker hands the
// driver the wait and reads and dispatches the output's events.
#pragma once
#include "event_worker.h"

namespace halvik::aoio {

const io::WorkerFamily& AoWorkerFamily();

}  // namespace halvik::aoio
