#include "core/automation.h"

#include "core/bstr.h"

namespace
{
const char *const SOURCE = "core/automation";
const VARTYPE VT_STRING_ARRAY = VT_ARRAY | VT_VARIANT;
const VARTYPE VT_INT_REFERENCE = VT_BYREF | VT_I4;
const VARTYPE VT_DOUBLE_REFERENCE = VT_BYREF | VT_R8;
} // namespace

bool TAutomation::ArgToVariant(VARIANT *variant_argument, const TArg &arg)
{
    Q_ASSERT_X(variant_argument, SOURCE, "variant_argument");
    if (!variant_argument)
        return false;
    VariantInit(variant_argument);

    switch (arg.type)
    {
    case TArg::TYPE_EMPTY:
        variant_argument->vt = VT_ERROR;
        variant_argument->scode = DISP_E_PARAMNOTFOUND;
        break;
    case TArg::TYPE_BOOL:
        variant_argument->vt = VT_BOOL;
        variant_argument->boolVal = arg.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case TArg::TYPE_INT:
        variant_argument->vt = VT_I4;
        variant_argument->lVal = arg.ToInt();
        break;
    case TArg::TYPE_FLOAT:
        variant_argument->vt = VT_R4;
        variant_argument->fltVal = arg.ToFloat();
        break;
    case TArg::TYPE_DOUBLE:
        variant_argument->vt = VT_R8;
        variant_argument->dblVal = arg.ToDouble();
        break;
    case TArg::TYPE_STRING:
        variant_argument->vt = VT_BSTR;
        variant_argument->bstrVal = SysAllocString(reinterpret_cast<const OLECHAR *>(arg.ToString().utf16()));
        break;
    case TArg::TYPE_STRING_LIST:
    {
        SAFEARRAYBOUND bound;
        bound.cElements = ULONG(arg.string_list.size());
        bound.lLbound = 0;
        SAFEARRAY *array = SafeArrayCreate(VT_VARIANT, 1, &bound);
        if (!array)
        {
            d_last_error = QStringLiteral("VT_ARRAY:  Cannot create SafeArray");
            return false;
        }
        for (LONG index = 0; index < LONG(bound.cElements); ++index)
        {
            VARIANT element;
            VariantInit(&element);
            element.vt = VT_BSTR;
            element.bstrVal = SysAllocString(reinterpret_cast<const OLECHAR *>(arg.string_list.at(index).utf16()));
            const HRESULT status = SafeArrayPutElement(array, &index, &element);
            // The array keeps a copy of its own.
            VariantClear(&element);
            if (FAILED(status))
            {
                SafeArrayDestroy(array);
                d_last_error = QStringLiteral("VT_ARRAY:  Cannot put element into SafeArray");
                return false;
            }
        }
        variant_argument->vt = VT_STRING_ARRAY;
        variant_argument->parray = array;
        break;
    }
    case TArg::TYPE_DOUBLE_POINTER:
        variant_argument->vt = VT_DOUBLE_REFERENCE;
        variant_argument->pdblVal = arg.value.double_pointer;
        break;
    case TArg::TYPE_INT_POINTER:
        variant_argument->vt = VT_INT_REFERENCE;
        variant_argument->plVal = reinterpret_cast<LONG *>(arg.value.int_pointer);
        break;
    case TArg::TYPE_DISPATCH:
        variant_argument->vt = VT_DISPATCH;
        variant_argument->pdispVal = arg.value.dispatch;
        break;
    }
    return true;
}

void TAutomation::Free_Argument(VARIANT *argument)
{
    // Only what ArgToVariant allocated is freed: by-reference values and
    // dispatch pointers are borrowed from the caller.
    if (argument->vt == VT_BSTR)
        SysFreeString(argument->bstrVal);
    else if (argument->vt == VT_STRING_ARRAY)
        SafeArrayDestroy(argument->parray);
    VariantInit(argument);
}

TAutomation::TArg TAutomation::Result_To_Arg(VARIANT *result)
{
    switch (result->vt)
    {
    case VT_BOOL:
        return TArg(result->boolVal != 0);
    case VT_I1:
        return TArg(int(result->bVal));
    case VT_I4:
        return TArg(int(result->lVal));
    case VT_BSTR:
    {
        const QString text = result->bstrVal ? QString::fromUtf16(reinterpret_cast<const ushort *>(result->bstrVal),
                                                                  lstrlenW(result->bstrVal))
                                             : QString();
        SysFreeString(result->bstrVal);
        VariantInit(result);
        return TArg(text);
    }
    case VT_R4:
        return TArg(result->fltVal);
    case VT_R8:
        return TArg(result->dblVal);
    case VT_DISPATCH:
        return TArg(result->pdispVal);
    default:
        // Nothing of it reaches the caller: a string, array or interface inside would leak.
        VariantClear(result);
        return TArg();
    }
}

bool TAutomation::VariantToArg(const VARIANT *variant, TArg *param)
{
    Q_ASSERT_X(param, SOURCE, "param");
    if (!param || !variant)
        return false;

    switch (variant->vt)
    {
    case VT_EMPTY:
    case VT_NULL:
        *param = TArg();
        return false;
    case VT_ERROR:
        if (variant->scode == DISP_E_PARAMNOTFOUND)
            *param = TArg();
        return false;
    case VT_BOOL:
        *param = TArg(variant->boolVal != 0);
        return true;
    case VT_I2:
        *param = TArg(int(variant->iVal));
        return true;
    case VT_I4:
        *param = TArg(int(variant->lVal));
        return true;
    case VT_R4:
        *param = TArg(variant->fltVal);
        return true;
    case VT_R8:
        *param = TArg(variant->dblVal);
        return true;
    case VT_BSTR:
        *param = TArg(TBstr::To_QString(variant->bstrVal));
        return true;
    case VT_INT_REFERENCE:
        *param = TArg(reinterpret_cast<int *>(variant->plVal));
        return true;
    case VT_DOUBLE_REFERENCE:
        *param = TArg(variant->pdblVal);
        return true;
    case VT_DISPATCH:
        *param = TArg(variant->pdispVal);
        return true;
    default:
        return false;
    }
}
