#include "resources/RavloResources.h"

#include <QtGlobal>

void initRavloResources()
{
    Q_INIT_RESOURCE(ravlo);
    Q_INIT_RESOURCE(translations);
}
