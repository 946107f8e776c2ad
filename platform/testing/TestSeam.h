// A value of a test's own put in place of a part of the platform for as long as the test
// needs it, through that part's seam.
#pragma once

#include <utility>

// Every seam of the platform is a function Set<Part>ForTesting(value) that puts value in
// place of the part (an empty value: the platform's own) and returns what was in place.
// This puts value in place while it lives, and then gives back what was there.
template <typename T, T (*Set)(T)>
class TestSeam
{
public:
    explicit TestSeam(T value) : m_previous(Set(std::move(value))) {}
    ~TestSeam() { Set(std::move(m_previous)); }
    TestSeam(const TestSeam&) = delete;
    TestSeam& operator=(const TestSeam&) = delete;

private:
    T m_previous;
};
