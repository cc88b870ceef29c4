#include "core/automation.h"

#include <climits>
#include <cmath>
#include <limits>

namespace
{
// Truncation toward zero, saturated at the 32-bit limits: a plain conversion of
// a value outside the range is undefined. NaN gives 0.
int Saturated_Int(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

// Narrowing as the hardware does it, without the undefined conversion of an out-of-range value.
float Narrowed(double value)
{
    if (std::isfinite(value) && std::fabs(value) > double(std::numeric_limits<float>::max()))
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return float(value);
}
} // namespace

TAutomation::TArg::TArg() : type(TYPE_EMPTY) { value.d = 0; }

TAutomation::TArg::TArg(bool b) : type(TYPE_BOOL)
{
    value.d = 0;
    value.b = b;
}

TAutomation::TArg::TArg(int i) : type(TYPE_INT)
{
    value.d = 0;
    value.i = i;
}

TAutomation::TArg::TArg(float f) : type(TYPE_FLOAT)
{
    value.d = 0;
    value.f = f;
}

TAutomation::TArg::TArg(double d) : type(TYPE_DOUBLE) { value.d = d; }

TAutomation::TArg::TArg(const QString &s) : type(TYPE_STRING), string(s) { value.d = 0; }

TAutomation::TArg::TArg(const char *s) : type(TYPE_STRING), string(s ? QString::fromLatin1(s) : QString())
{
    value.d = 0;
}

TAutomation::TArg::TArg(const QStringList &list) : type(TYPE_STRING_LIST), string_list(list) { value.d = 0; }

TAutomation::TArg::TArg(double *p) : type(TYPE_DOUBLE_POINTER)
{
    value.d = 0;
    value.double_pointer = p;
}

TAutomation::TArg::TArg(int *p) : type(TYPE_INT_POINTER)
{
    value.d = 0;
    value.int_pointer = p;
}

TAutomation::TArg::TArg(IDispatch *p) : type(TYPE_DISPATCH)
{
    value.d = 0;
    value.dispatch = p;
}

bool TAutomation::TArg::ToBool() const
{
    switch (type)
    {
    case TYPE_BOOL:
        return value.b;
    case TYPE_INT:
        return value.i != 0;
    case TYPE_FLOAT:
        return value.f != 0.0f;
    case TYPE_DOUBLE:
        return value.d != 0.0;
    case TYPE_STRING:
        return !string.isEmpty();
    case TYPE_DOUBLE_POINTER:
        return value.double_pointer != nullptr;
    case TYPE_INT_POINTER:
        return value.int_pointer != nullptr;
    case TYPE_DISPATCH:
        return value.dispatch != nullptr;
    default:
        return false;
    }
}

int TAutomation::TArg::ToInt() const
{
    switch (type)
    {
    case TYPE_BOOL:
        return value.b ? 1 : 0;
    case TYPE_INT:
        return value.i;
    case TYPE_FLOAT:
        return Saturated_Int(value.f);
    case TYPE_DOUBLE:
        return Saturated_Int(value.d);
    case TYPE_STRING:
        return string.toInt(nullptr, 10);
    case TYPE_INT_POINTER:
        return value.int_pointer ? *value.int_pointer : 0;
    default:
        return 0;
    }
}

float TAutomation::TArg::ToFloat() const
{
    switch (type)
    {
    case TYPE_BOOL:
        return value.b ? 1.0f : 0.0f;
    case TYPE_INT:
        return float(value.i);
    case TYPE_FLOAT:
        return value.f;
    case TYPE_DOUBLE:
        return Narrowed(value.d);
    case TYPE_STRING:
        return string.toFloat();
    case TYPE_DOUBLE_POINTER:
        return value.double_pointer ? Narrowed(*value.double_pointer) : 0.0f;
    default:
        return 0.0f;
    }
}

double TAutomation::TArg::ToDouble() const
{
    switch (type)
    {
    case TYPE_BOOL:
        return value.b ? 1.0 : 0.0;
    case TYPE_INT:
        return double(value.i);
    case TYPE_FLOAT:
        return double(value.f);
    case TYPE_DOUBLE:
        return value.d;
    case TYPE_STRING:
        return string.toDouble();
    case TYPE_DOUBLE_POINTER:
        return value.double_pointer ? *value.double_pointer : 0.0;
    case TYPE_INT_POINTER:
        return value.int_pointer ? double(*value.int_pointer) : 0.0;
    default:
        return 0.0;
    }
}

QString TAutomation::TArg::ToString() const
{
    switch (type)
    {
    case TYPE_BOOL:
        return value.b ? QStringLiteral("true") : QStringLiteral("false");
    case TYPE_INT:
        return QString::number(value.i);
    case TYPE_FLOAT:
        return QString::number(double(value.f), 'g', 6);
    case TYPE_DOUBLE:
        return QString::number(value.d, 'g', 6);
    case TYPE_STRING:
        return string;
    default:
        return QString();
    }
}

int TAutomation::TArg::StringCount() const { return type == TYPE_STRING_LIST ? string_list.size() : 0; }

QString TAutomation::TArg::StringAt(int index) const
{
    if (type != TYPE_STRING_LIST || index < 0 || index >= string_list.size())
        return QString();
    return string_list.at(index);
}

double *TAutomation::TArg::DoublePointer() const
{
    return type == TYPE_DOUBLE_POINTER ? value.double_pointer : nullptr;
}

int *TAutomation::TArg::IntPointer() const { return type == TYPE_INT_POINTER ? value.int_pointer : nullptr; }

IDispatch *TAutomation::TArg::DispatchPointer() const { return type == TYPE_DISPATCH ? value.dispatch : nullptr; }

TAutomation *TAutomation::TArg::ToAutomation() const
{
    return type == TYPE_DISPATCH ? new TAutomation(value.dispatch, nullptr) : nullptr;
}
