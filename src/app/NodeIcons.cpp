#include "app/NodeIcons.h"

QIcon NodeIcons::iconForKind(int)
{
    return {};
}

QIcon NodeIcons::loadingIcon()
{
    return {};
}

QIcon NodeIcons::problemIcon()
{
    return {};
}

QIcon NodeIcons::applicationIcon()
{
    return {};
}
