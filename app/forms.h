#pragma once
// One instance per window type, created on first use and kept for the run.
#include "app/form.h"

#include <memory>
#include <typeindex>

namespace Forms
{

Form *find(std::type_index type);
Form &adopt(std::type_index type, std::unique_ptr<Form> form);

template <class T> T &get()
{
    if (Form *form = find(typeid(T)))
        return static_cast<T &>(*form);
    return static_cast<T &>(adopt(typeid(T), std::make_unique<T>()));
}

// Discards every instance without raising any window event.
void clear();

// While the application shuts down, no window is shown (or reopened).
bool shuttingDown();
void setShuttingDown(bool on);

} // namespace Forms
