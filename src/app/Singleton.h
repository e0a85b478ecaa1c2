#ifndef ZORVAT_APP_SINGLETON_H
#define ZORVAT_APP_SINGLETON_H

// Base of the process-wide singletons: the object is made on first use and never destroyed.
template <typename T> class TSingleton {
public:
    // Returns the one object of T, creating it on the first call.
    static T* GetInstance() {
        if (!instance) {
            instance = new T;
        }
        return instance;
    }
    virtual ~TSingleton() {}

protected:
    static T* instance;
};

template <typename T> T* TSingleton<T>::instance = nullptr;

#endif
