#include "common/Session.h"

#include <FontScheme.h>
#include <LanguagePack.h>

SessionState &Session()
{
    static SessionState *state = new SessionState;
    return *state;
}
