#pragma once

#include <QObject>

namespace platform {

// Gives a control its name; tests and accessibility tools find controls by it.
template <class Object>
Object *named(Object *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

} // namespace platform
