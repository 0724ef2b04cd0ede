#include "VstHooks.h"

namespace selvane
{
VstInstanceCreatedHook vstInstanceCreated = nullptr;
} // namespace selvane
