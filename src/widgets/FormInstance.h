#pragma once

// The one instance of a window, reached through its global name (FImprenta, Cargar...). The
// start-up gives it a maker; the window is then built the first time it is used, through `->`,
// `*` or as a pointer, and kept until the start-up takes it down. Without a maker it is a
// plain pointer, which tests set to a window of their own.
template <typename T>
class FormInstance {
public:
    using Maker = void (*)();

    constexpr FormInstance() = default;
    FormInstance(const FormInstance&) = delete;
    FormInstance& operator=(const FormInstance&) = delete;

    FormInstance& operator=(T* form)
    {
        m_form = form;
        return *this;
    }

    T* get() const
    {
        if (!m_form && m_maker)
            m_maker();  // the maker assigns the window it built
        return m_form;
    }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }

    // The window if it was built already; never builds it.
    T* built() const { return m_form; }
    void setMaker(Maker maker) { m_maker = maker; }

private:
    T* m_form = nullptr;
    Maker m_maker = nullptr;
};
