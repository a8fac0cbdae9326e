#include "platform/text/Translate.h"

#include <libintl.h>

namespace nuvix {

const char* Tr(const char* french)
{
    return dgettext("nuvix", french);
}

}  // namespace nuvix
