// The selection a client asks for, and the IEnumVARIANT over child ids that answers it when
// several lines are selected.
#include "accessibleSelection.h"

#include <new>

#include "accessibleTree.h"
#include "comObject.h"

namespace
{
class ChildEnumerator final : public ComObject<IEnumVARIANT>
{
public:
    ChildEnumerator(std::vector<int32_t> children, size_t position) : children(std::move(children)), position(position)
    {
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* answers, ULONG* fetched) override
    {
        if (!answers || (count > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        for (; given < count && position < children.size(); ++given)
        {
            VariantInit(&answers[given]);
            answers[given].vt = VT_I4;
            answers[given].lVal = children[position++];
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const size_t left = children.size() - position;
        position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new (std::nothrow) ChildEnumerator(children, position);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::vector<int32_t> children;
    size_t position;

    bool answersTo(REFIID riid) const override { return riid == IID_IEnumVARIANT; }
};
} // namespace

HRESULT answerSelection(const std::vector<Line>& lines, VARIANT* selection)
{
    std::vector<int32_t> selected = selectedChildren(lines);
    if (selected.empty())
        return S_FALSE;
    if (selected.size() == 1)
    {
        selection->vt = VT_I4;
        selection->lVal = selected[0];
        return S_OK;
    }
    IEnumVARIANT* enumerator = new (std::nothrow) ChildEnumerator(std::move(selected), 0);
    if (!enumerator)
        return E_OUTOFMEMORY;
    selection->vt = VT_UNKNOWN;
    selection->punkVal = enumerator;
    return S_OK;
}
