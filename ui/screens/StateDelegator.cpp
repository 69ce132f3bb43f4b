#include "StateDelegator.h"

void StateDelegator::sendStateRequest (int request)
{
    if (delegate != nullptr)
        delegate->requestStateChange (request);
}
