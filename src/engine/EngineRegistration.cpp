#include "engine/EngineRegistration.h"

namespace engine {

void RegisterEngine() {}

} // namespace engine
