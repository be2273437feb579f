// EngineList: a doubly linked list of values in insertion order (index 0 is
// the oldest). It remembers the last index looked up, so a repeated lookup of
// one index, or of its neighbour, costs nothing: walking the list by index is
// linear, not quadratic.
#pragma once

#include "foundation/noncopyable.h"

#include <windows.h>

#include <new>
#include <stdint.h>

template <typename T>
class EngineList : NonCopyable {
public:
    ~EngineList() { Clear(); }

    // S_OK, or E_FAIL when the node cannot be allocated.
    HRESULT Add(const T& value)
    {
        Node* node = new (std::nothrow) Node{head, nullptr, value};
        if (!node)
            return E_FAIL;
        if (head)
            head->newer = node;
        head = node;
        ++count;
        Forget();
        return S_OK;
    }

    // The element's address stays valid until it is removed; null past the end.
    T* Get(uint32_t index)
    {
        if (index >= count)
            return nullptr;
        if ((int64_t)index == rememberedIndex)
            return &rememberedNode->value;
        Node* node;
        if (rememberedNode && (int64_t)index == rememberedIndex + 1)
            node = rememberedNode->newer;
        else if (rememberedNode && (int64_t)index == rememberedIndex - 1)
            node = rememberedNode->older;
        else
            node = NodeAt(index);
        rememberedIndex = index;
        rememberedNode = node;
        return &node->value;
    }

    void RemoveAt(uint32_t index)
    {
        if (index < count)
            Unlink(NodeAt(index));
    }

    // Removes the newest element equal to match; E_FAIL when there is none.
    HRESULT Remove(const T& match)
    {
        for (Node* node = head; node; node = node->older) {
            if (node->value == match) {
                Unlink(node);
                return S_OK;
            }
        }
        return E_FAIL;
    }

    void Clear()
    {
        while (head) {
            Node* older = head->older;
            delete head;
            head = older;
        }
        count = 0;
        Forget();
    }

    uint32_t Count() const { return count; }

private:
    struct Node {
        Node* older;
        Node* newer;
        T value;
    };

    Node* NodeAt(uint32_t index) const
    {
        Node* node = head;
        for (uint32_t steps = count - 1 - index; steps > 0; --steps)
            node = node->older;
        return node;
    }

    void Unlink(Node* node)
    {
        if (node->newer)
            node->newer->older = node->older;
        else
            head = node->older;
        if (node->older)
            node->older->newer = node->newer;
        delete node;
        --count;
        Forget();
    }

    void Forget()
    {
        rememberedIndex = -1;
        rememberedNode = nullptr;
    }

    Node* head = nullptr;
    uint32_t count = 0;
    int64_t rememberedIndex = -1;
    Node* rememberedNode = nullptr;
};
