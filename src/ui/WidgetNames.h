#pragma once

// Gives a new widget its object name (the names tests and styles find it by) where it is created.
template <class T> T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}
