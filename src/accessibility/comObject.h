// The reference counting and QueryInterface that every COM object of ours shares: it answers
// IUnknown and the interfaces its class names, and deletes itself on the last Release. Objects
// with a dual interface (IAccessible) add the IDispatch that no client uses.
#pragma once

#include <windows.h>

template <typename Interface>
class ComObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = riid == IID_IUnknown || answersTo(riid) ? static_cast<Interface*>(this) : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;
    // The interfaces besides IUnknown that the object is.
    virtual bool answersTo(REFIID riid) const = 0;

private:
    LONG references = 1;
};

// IDispatch for dual interfaces whose clients call the methods directly: there is no type
// information, and Invoke is not offered.
template <typename Interface>
class ComObjectWithoutDispatch : public ComObject<Interface>
{
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};
