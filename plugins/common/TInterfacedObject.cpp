#include "TInterfacedObject.h"

HResult TInterfacedObject::queryInterface(const TGUID& iid, void** object)
{
    if (iid == IID_IInterface) {
        *object = static_cast<IInterface*>(this);
        addRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}
