#pragma once
#include "mire/core/Assert.h"
#include "mire/math/Vector.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Vela
{
    // 4x4 matrix stored row by row. Points are row vectors multiplied on the left (p' = p x M),
    // so the translation lives in the fourth row. Elements are addressed 1-based: (row, column).
    template <typename T>
    class Matrix4x4
    {
    public:
        constexpr Matrix4x4() : myData{ 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } {}
        constexpr explicit Matrix4x4(const std::array<T, 16>& someElements) : myData(someElements) {}

        // An index outside 1..4 is reported and then clamped into range, so a caller's mistake
        // never reads or writes outside the matrix.
        T& operator()(int aRow, int aColumn) { return myData[Index(aRow, aColumn)]; }
        const T& operator()(int aRow, int aColumn) const { return myData[Index(aRow, aColumn)]; }

        // Raw access to the 16 elements in storage order, 0-based.
        T& operator[](int aIndex) { return myData[static_cast<size_t>(std::clamp(aIndex, 0, 15))]; }
        const T& operator[](int aIndex) const { return myData[static_cast<size_t>(std::clamp(aIndex, 0, 15))]; }
        T* GetData() { return myData.data(); }
        const T* GetData() const { return myData.data(); }

        Vector4<T> GetRow(int aRow) const { return { (*this)(aRow, 1), (*this)(aRow, 2), (*this)(aRow, 3), (*this)(aRow, 4) }; }
        void SetRow(int aRow, const Vector4<T>& aValue)
        {
            (*this)(aRow, 1) = aValue.x; (*this)(aRow, 2) = aValue.y; (*this)(aRow, 3) = aValue.z; (*this)(aRow, 4) = aValue.w;
        }
        Vector3<T> GetTranslation() const { return { myData[12], myData[13], myData[14] }; }
        void SetTranslation(const Vector3<T>& aTranslation) { myData[12] = aTranslation.x; myData[13] = aTranslation.y; myData[14] = aTranslation.z; }

        // this := this x other. Built in a temporary first so that m *= m is correct.
        Matrix4x4& operator*=(const Matrix4x4& aOther)
        {
            std::array<T, 16> result{};
            for (int row = 0; row < 4; ++row)
            {
                for (int column = 0; column < 4; ++column)
                {
                    T sum = T(0);
                    for (int k = 0; k < 4; ++k)
                    {
                        sum += myData[row * 4 + k] * aOther.myData[k * 4 + column];
                    }
                    result[row * 4 + column] = sum;
                }
            }
            myData = result;
            return *this;
        }
        Matrix4x4 operator*(const Matrix4x4& aOther) const { Matrix4x4 result(*this); result *= aOther; return result; }
        bool operator==(const Matrix4x4& aOther) const { return myData == aOther.myData; }

        static Matrix4x4 Transpose(const Matrix4x4& aMatrix)
        {
            Matrix4x4 result;
            for (int row = 0; row < 4; ++row)
                for (int column = 0; column < 4; ++column)
                    result.myData[row * 4 + column] = aMatrix.myData[column * 4 + row];
            return result;
        }

        // General inverse by cofactors over the determinant. A singular matrix is not caught:
        // the result is then not finite.
        static Matrix4x4 GetInverse(const Matrix4x4& aMatrix);

        static Matrix4x4 CreateTranslation(const Vector3<T>& aTranslation)
        {
            Matrix4x4 result;
            result.SetTranslation(aTranslation);
            return result;
        }
        static Matrix4x4 CreateScale(const Vector3<T>& aScale)
        {
            Matrix4x4 result;
            result.myData[0] = aScale.x;
            result.myData[5] = aScale.y;
            result.myData[10] = aScale.z;
            return result;
        }
        static Matrix4x4 CreateRotationAroundX(T aRadians)
        {
            const T c = std::cos(aRadians), s = std::sin(aRadians);
            return Matrix4x4({ 1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1 });
        }
        static Matrix4x4 CreateRotationAroundY(T aRadians)
        {
            const T c = std::cos(aRadians), s = std::sin(aRadians);
            return Matrix4x4({ c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1 });
        }
        static Matrix4x4 CreateRotationAroundZ(T aRadians)
        {
            const T c = std::cos(aRadians), s = std::sin(aRadians);
            return Matrix4x4({ c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 });
        }

    private:
        static size_t Index(int aRow, int aColumn)
        {
            VELA_ASSERT(aRow > 0 && aRow < 5 && aColumn > 0 && aColumn < 5 && "Argument out of bounds");
            return static_cast<size_t>((std::clamp(aRow, 1, 4) - 1) * 4 + (std::clamp(aColumn, 1, 4) - 1));
        }

        std::array<T, 16> myData;
    };

    template <typename T>
    Matrix4x4<T> Matrix4x4<T>::GetInverse(const Matrix4x4& aMatrix)
    {
        const auto& m = aMatrix.myData;
        std::array<T, 16> inv{};
        inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
        inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
        inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
        inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
        inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
        inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
        inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
        inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
        inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
        inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
        inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
        inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
        inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
        inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
        inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
        inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

        const T determinant = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
        const T inverseDeterminant = T(1) / determinant;
        for (T& element : inv)
        {
            element *= inverseDeterminant;
        }
        return Matrix4x4(inv);
    }

    // Row vector times matrix.
    template <typename T>
    Vector4<T> operator*(const Vector4<T>& aVector, const Matrix4x4<T>& aMatrix)
    {
        Vector4<T> result;
        result.x = aVector.x * aMatrix(1, 1) + aVector.y * aMatrix(2, 1) + aVector.z * aMatrix(3, 1) + aVector.w * aMatrix(4, 1);
        result.y = aVector.x * aMatrix(1, 2) + aVector.y * aMatrix(2, 2) + aVector.z * aMatrix(3, 2) + aVector.w * aMatrix(4, 2);
        result.z = aVector.x * aMatrix(1, 3) + aVector.y * aMatrix(2, 3) + aVector.z * aMatrix(3, 3) + aVector.w * aMatrix(4, 3);
        result.w = aVector.x * aMatrix(1, 4) + aVector.y * aMatrix(2, 4) + aVector.z * aMatrix(3, 4) + aVector.w * aMatrix(4, 4);
        return result;
    }
}
