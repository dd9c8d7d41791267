#pragma once
#include <cmath>

namespace Vela
{
    template <typename T>
    struct Vector2
    {
        T x{};
        T y{};

        constexpr Vector2() = default;
        constexpr Vector2(T aX, T aY) : x(aX), y(aY) {}

        // Component-wise, like the other operators: this is not a dot product.
        constexpr Vector2 operator*(const Vector2& aOther) const { return { x * aOther.x, y * aOther.y }; }
        constexpr Vector2 operator+(const Vector2& aOther) const { return { x + aOther.x, y + aOther.y }; }
        constexpr Vector2 operator-(const Vector2& aOther) const { return { x - aOther.x, y - aOther.y }; }
        constexpr Vector2 operator-() const { return { -x, -y }; }
        constexpr Vector2 operator*(T aScalar) const { return { x * aScalar, y * aScalar }; }
        constexpr Vector2 operator/(T aScalar) const { return { x / aScalar, y / aScalar }; }
        constexpr Vector2& operator+=(const Vector2& aOther) { x += aOther.x; y += aOther.y; return *this; }
        constexpr Vector2& operator-=(const Vector2& aOther) { x -= aOther.x; y -= aOther.y; return *this; }
        constexpr Vector2& operator*=(T aScalar) { x *= aScalar; y *= aScalar; return *this; }
        constexpr bool operator==(const Vector2&) const = default;

        constexpr T Dot(const Vector2& aOther) const { return x * aOther.x + y * aOther.y; }
        constexpr T LengthSqr() const { return Dot(*this); }
        T Length() const { return static_cast<T>(std::sqrt(LengthSqr())); }
        Vector2 GetNormalized() const { const T length = Length(); return length > T(0) ? *this / length : *this; }
        void Normalize() { *this = GetNormalized(); }
    };

    template <typename T>
    struct Vector3
    {
        T x{};
        T y{};
        T z{};

        constexpr Vector3() = default;
        constexpr Vector3(T aX, T aY, T aZ) : x(aX), y(aY), z(aZ) {}

        constexpr Vector3 operator*(const Vector3& aOther) const { return { x * aOther.x, y * aOther.y, z * aOther.z }; }
        constexpr Vector3 operator+(const Vector3& aOther) const { return { x + aOther.x, y + aOther.y, z + aOther.z }; }
        constexpr Vector3 operator-(const Vector3& aOther) const { return { x - aOther.x, y - aOther.y, z - aOther.z }; }
        constexpr Vector3 operator-() const { return { -x, -y, -z }; }
        constexpr Vector3 operator*(T aScalar) const { return { x * aScalar, y * aScalar, z * aScalar }; }
        constexpr Vector3 operator/(T aScalar) const { return { x / aScalar, y / aScalar, z / aScalar }; }
        constexpr Vector3& operator+=(const Vector3& aOther) { x += aOther.x; y += aOther.y; z += aOther.z; return *this; }
        constexpr Vector3& operator-=(const Vector3& aOther) { x -= aOther.x; y -= aOther.y; z -= aOther.z; return *this; }
        constexpr Vector3& operator*=(T aScalar) { x *= aScalar; y *= aScalar; z *= aScalar; return *this; }
        constexpr bool operator==(const Vector3&) const = default;
        // Lexicographic on x, then y, then z; an unordered (NaN) component decides "not less".
        constexpr bool operator<(const Vector3& aOther) const
        {
            if (x < aOther.x) return true;
            if (!(x == aOther.x)) return false;
            if (y < aOther.y) return true;
            if (!(y == aOther.y)) return false;
            return z < aOther.z;
        }

        constexpr T Dot(const Vector3& aOther) const { return x * aOther.x + y * aOther.y + z * aOther.z; }
        constexpr Vector3 Cross(const Vector3& aOther) const
        {
            return { y * aOther.z - z * aOther.y, z * aOther.x - x * aOther.z, x * aOther.y - y * aOther.x };
        }
        constexpr T LengthSqr() const { return Dot(*this); }
        T Length() const { return static_cast<T>(std::sqrt(LengthSqr())); }
        Vector3 GetNormalized() const { const T length = Length(); return length > T(0) ? *this / length : *this; }
        void Normalize() { *this = GetNormalized(); }
    };

    template <typename T>
    struct Vector4
    {
        T x{};
        T y{};
        T z{};
        T w{};

        constexpr Vector4() = default;
        constexpr Vector4(T aX, T aY, T aZ, T aW) : x(aX), y(aY), z(aZ), w(aW) {}
        constexpr Vector4(const Vector3<T>& aXyz, T aW) : x(aXyz.x), y(aXyz.y), z(aXyz.z), w(aW) {}

        constexpr Vector4 operator*(const Vector4& aOther) const { return { x * aOther.x, y * aOther.y, z * aOther.z, w * aOther.w }; }
        constexpr Vector4 operator+(const Vector4& aOther) const { return { x + aOther.x, y + aOther.y, z + aOther.z, w + aOther.w }; }
        constexpr Vector4 operator-(const Vector4& aOther) const { return { x - aOther.x, y - aOther.y, z - aOther.z, w - aOther.w }; }
        constexpr Vector4 operator-() const { return { -x, -y, -z, -w }; }
        constexpr Vector4 operator*(T aScalar) const { return { x * aScalar, y * aScalar, z * aScalar, w * aScalar }; }
        constexpr Vector4 operator/(T aScalar) const { return { x / aScalar, y / aScalar, z / aScalar, w / aScalar }; }
        constexpr Vector4& operator+=(const Vector4& aOther) { x += aOther.x; y += aOther.y; z += aOther.z; w += aOther.w; return *this; }
        constexpr Vector4& operator-=(const Vector4& aOther) { x -= aOther.x; y -= aOther.y; z -= aOther.z; w -= aOther.w; return *this; }
        constexpr Vector4& operator*=(T aScalar) { x *= aScalar; y *= aScalar; z *= aScalar; w *= aScalar; return *this; }
        constexpr bool operator==(const Vector4&) const = default;

        constexpr Vector3<T> GetXYZ() const { return { x, y, z }; }
        constexpr T Dot(const Vector4& aOther) const { return x * aOther.x + y * aOther.y + z * aOther.z + w * aOther.w; }
        constexpr T LengthSqr() const { return Dot(*this); }
        T Length() const { return static_cast<T>(std::sqrt(LengthSqr())); }
        Vector4 GetNormalized() const { const T length = Length(); return length > T(0) ? *this / length : *this; }
        void Normalize() { *this = GetNormalized(); }
    };

    template <typename T> constexpr Vector2<T> operator*(T aScalar, const Vector2<T>& aVector) { return aVector * aScalar; }
    template <typename T> constexpr Vector3<T> operator*(T aScalar, const Vector3<T>& aVector) { return aVector * aScalar; }
    template <typename T> constexpr Vector4<T> operator*(T aScalar, const Vector4<T>& aVector) { return aVector * aScalar; }
}
