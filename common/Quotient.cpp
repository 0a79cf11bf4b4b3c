#include "common/Quotient.h"

#include "common/Error.h"
#include "common/Messages.h"

#include <cmath>

namespace masume {

long double quotient(long double x, long double y)
{
    if (y == 0.0L) {
        if (x == 0.0L || std::isnan(x))
            raise(msg::InvalidOperation);
        raise(msg::ZeroDivide);
    }
    return x / y;
}

} // namespace masume
