#pragma once
// Holds one lock of a module (any class with static Lock and Unlock) for its lifetime.
namespace qx {

template <class Module>
class LockHolder {
public:
    LockHolder() { Module::Lock(); }
    ~LockHolder() { Module::Unlock(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
};

}  // namespace qx
