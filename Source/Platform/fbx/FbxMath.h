#pragma once
// Double-precision value types of the FBX reader: vectors, colours and affine matrices.
#include <array>
#include <cmath>

namespace Vela::Fbx
{
    // A 4-component double vector. Positions carry w as stored in the file; directions use w = 0.
    struct Vector4
    {
        double x = 0.0, y = 0.0, z = 0.0, w = 0.0;

        Vector4() = default;
        Vector4(double aX, double aY, double aZ, double aW = 0.0) : x(aX), y(aY), z(aZ), w(aW) {}

        double& operator[](int aIndex) { return aIndex <= 0 ? x : aIndex == 1 ? y : aIndex == 2 ? z : w; }  // clamped to 0..3
        double operator[](int aIndex) const { return aIndex <= 0 ? x : aIndex == 1 ? y : aIndex == 2 ? z : w; }
        Vector4 operator+(const Vector4& aOther) const { return {x + aOther.x, y + aOther.y, z + aOther.z, w + aOther.w}; }
        Vector4 operator-(const Vector4& aOther) const { return {x - aOther.x, y - aOther.y, z - aOther.z, w - aOther.w}; }
        Vector4 operator*(double aScale) const { return {x * aScale, y * aScale, z * aScale, w * aScale}; }
        bool operator==(const Vector4& aOther) const = default;
        double Dot3(const Vector4& aOther) const { return x * aOther.x + y * aOther.y + z * aOther.z; }  // x, y, z only
        Vector4 Cross3(const Vector4& aOther) const  // w of the result is 0
        {
            return {y * aOther.z - z * aOther.y, z * aOther.x - x * aOther.z, x * aOther.y - y * aOther.x, 0.0};
        }
        double Length3() const { return std::sqrt(Dot3(*this)); }
        Vector4 Normalized3() const                 // zero stays zero; w kept
        {
            const double length = Length3();
            if (length <= 0.0 || !std::isfinite(length))
                return {0.0, 0.0, 0.0, w};
            return {x / length, y / length, z / length, w};
        }
    };

    struct Vector2
    {
        double x = 0.0, y = 0.0;
        bool operator==(const Vector2& aOther) const = default;
    };

    // Vertex colour; the default is opaque black.
    struct Color
    {
        double r = 0.0, g = 0.0, b = 0.0, a = 1.0;
        bool operator==(const Color& aOther) const = default;
    };

    // Euler rotation orders as the file numbers them; the first letter is applied first.
    enum class RotationOrder : int { XYZ = 0, XZY = 1, YZX = 2, YXZ = 3, ZXY = 4, ZYX = 5 };

    // An affine 4x4 transform.
    // Storage: four rows for row vectors, so GetRow(3) is the translation (x, y, z, 1) and a matrix is
    // handed over to row-major, row-vector engines row by row.
    // Composition is written as for column vectors: in a * b, b is applied first, then a
    // (global = parentGlobal * local).
    class AMatrix
    {
    public:
        AMatrix() : myData{{1.0, 0.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 0.0}, {0.0, 0.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0}} {}  // identity
        // Translation * Rotation(Euler degrees, XYZ order) * Scaling.
        AMatrix(const Vector4& aTranslation, const Vector4& aRotationDegrees, const Vector4& aScaling);

        static AMatrix Translation(const Vector4& aTranslation);
        static AMatrix Scaling(const Vector4& aScaling);
        static AMatrix Rotation(const Vector4& aRotationDegrees, RotationOrder aOrder = RotationOrder::XYZ);

        Vector4 GetRow(int aRow) const              // aRow 0..3; out of range gives a zero vector
        {
            if (aRow < 0 || aRow > 3)
                return {};
            return {myData[aRow][0], myData[aRow][1], myData[aRow][2], myData[aRow][3]};
        }
        void SetRow(int aRow, const Vector4& aRow4)
        {
            if (aRow < 0 || aRow > 3)
                return;
            myData[aRow][0] = aRow4.x;
            myData[aRow][1] = aRow4.y;
            myData[aRow][2] = aRow4.z;
            myData[aRow][3] = aRow4.w;
        }
        double Get(int aRow, int aColumn) const     // 0-based, stored layout; 0 out of range
        {
            return aRow < 0 || aRow > 3 || aColumn < 0 || aColumn > 3 ? 0.0 : myData[aRow][aColumn];
        }
        void Set(int aRow, int aColumn, double aValue)
        {
            if (aRow >= 0 && aRow <= 3 && aColumn >= 0 && aColumn <= 3)
                myData[aRow][aColumn] = aValue;
        }
        const double* GetData() const { return &myData[0][0]; }  // 16 doubles, row after row

        Vector4 GetT() const { return {myData[3][0], myData[3][1], myData[3][2], 0.0}; }  // translation (row 3), w = 0
        Vector4 GetS() const;                       // scale (lengths of the three axis rows; negative when mirrored along x)
        Vector4 GetR() const;                       // rotation as Euler degrees, XYZ order
        void SetT(const Vector4& aTranslation)
        {
            myData[3][0] = aTranslation.x;
            myData[3][1] = aTranslation.y;
            myData[3][2] = aTranslation.z;
        }

        AMatrix operator*(const AMatrix& aOther) const  // aOther applied first
        {
            // Row-vector storage: applying aOther first means aOther's rows times ours.
            AMatrix result;
            for (int row = 0; row < 4; ++row)
                for (int column = 0; column < 4; ++column)
                    result.myData[row][column] = aOther.myData[row][0] * myData[0][column] + aOther.myData[row][1] * myData[1][column] +
                                                 aOther.myData[row][2] * myData[2][column] + aOther.myData[row][3] * myData[3][column];
            return result;
        }
        AMatrix& operator*=(const AMatrix& aOther);
        bool operator==(const AMatrix& aOther) const;
        AMatrix Inverse() const;                    // general 4x4 inverse; a singular matrix gives identity
        AMatrix Transpose() const;
        // Inline: they run for every vector of a converted mesh.
        Vector4 MultT(const Vector4& aPoint) const;  // transforms a point (w ignored, result w = 1)
        Vector4 MultR(const Vector4& aDirection) const;  // rotates/scales a direction (no translation), w kept

    private:
        double myData[4][4];
    };

    inline Vector4 AMatrix::MultT(const Vector4& aPoint) const
    {
        const Vector4& p = aPoint;
        return {p.x * myData[0][0] + p.y * myData[1][0] + p.z * myData[2][0] + myData[3][0],
                p.x * myData[0][1] + p.y * myData[1][1] + p.z * myData[2][1] + myData[3][1],
                p.x * myData[0][2] + p.y * myData[1][2] + p.z * myData[2][2] + myData[3][2], 1.0};
    }

    inline Vector4 AMatrix::MultR(const Vector4& aDirection) const
    {
        const Vector4& d = aDirection;
        return {d.x * myData[0][0] + d.y * myData[1][0] + d.z * myData[2][0],
                d.x * myData[0][1] + d.y * myData[1][1] + d.z * myData[2][1],
                d.x * myData[0][2] + d.y * myData[1][2] + d.z * myData[2][2], d.w};
    }
}
