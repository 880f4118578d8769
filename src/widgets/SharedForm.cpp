#include "SharedForm.h"

#include "ConnectionPool.h"

namespace {
int loadedForms = 0;
}

void SharedFormLoaded()
{
    ++loadedForms;
}

void SharedFormGone()
{
    if (--loadedForms == 0)
        ConnectionPool::CloseAll();
}
