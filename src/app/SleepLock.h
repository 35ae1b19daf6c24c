#pragma once

// Keeps the computer from sleeping while it lives. The real one holds a login-manager inhibitor lock;
// tests use a fake.
class TSleepLock {
public:
    virtual ~TSleepLock() = default;
    virtual bool Held() const = 0;
};
