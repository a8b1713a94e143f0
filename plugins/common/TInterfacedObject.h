#pragma once

#include "genericExportInterface.h"

// The reference-counted base object. The count is kept but never ends the object's life:
// an export module belongs to its library's slot and is destroyed by Export_Free alone.
class TInterfacedObject : public virtual IInterface
{
public:
    TInterfacedObject() = default;
    TInterfacedObject(const TInterfacedObject&) = delete;
    TInterfacedObject& operator=(const TInterfacedObject&) = delete;
    virtual ~TInterfacedObject() = default;

    HResult queryInterface(const TGUID& iid, void** object) override;
    int addRef() override { return ++refCount; }
    int release() override { return --refCount; }

private:
    int refCount = 0;
};
