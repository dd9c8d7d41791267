#include "Platform/fbx/FbxMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vela::Fbx
{
    namespace
    {
        constexpr double DEGREES_TO_RADIANS = std::numbers::pi / 180.0;
        constexpr double RADIANS_TO_DEGREES = 180.0 / std::numbers::pi;

        // One axis rotation in stored (row-vector) layout.
        AMatrix AxisRotation(int aAxis, double aDegrees)
        {
            AMatrix result;
            if (aDegrees == 0.0)
                return result;
            const double radians = aDegrees * DEGREES_TO_RADIANS;
            const double c = std::cos(radians);
            const double s = std::sin(radians);
            const int a = (aAxis + 1) % 3;
            const int b = (aAxis + 2) % 3;
            result.Set(a, a, c);
            result.Set(a, b, s);
            result.Set(b, a, -s);
            result.Set(b, b, c);
            return result;
        }
    }

    AMatrix::AMatrix(const Vector4& aTranslation, const Vector4& aRotationDegrees, const Vector4& aScaling)
    {
        *this = Translation(aTranslation) * Rotation(aRotationDegrees) * Scaling(aScaling);
    }

    AMatrix AMatrix::Translation(const Vector4& aTranslation)
    {
        AMatrix result;
        result.SetT(aTranslation);
        return result;
    }

    AMatrix AMatrix::Scaling(const Vector4& aScaling)
    {
        AMatrix result;
        result.myData[0][0] = aScaling.x;
        result.myData[1][1] = aScaling.y;
        result.myData[2][2] = aScaling.z;
        return result;
    }

    AMatrix AMatrix::Rotation(const Vector4& aRotationDegrees, RotationOrder aOrder)
    {
        // The order names the axes in the order they are applied.
        static constexpr int AXES[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}};
        const int order = std::clamp(static_cast<int>(aOrder), 0, 5);
        AMatrix result;
        bool first = true;
        for (int step = 0; step < 3; ++step)
        {
            const int axis = AXES[order][step];
            if (aRotationDegrees[axis] == 0.0)
                continue;
            const AMatrix rotation = AxisRotation(axis, aRotationDegrees[axis]);
            result = first ? rotation : rotation * result;
            first = false;
        }
        return result;
    }

    Vector4 AMatrix::GetS() const
    {
        Vector4 scale(GetRow(0).Length3(), GetRow(1).Length3(), GetRow(2).Length3(), 0.0);
        const double determinant = GetRow(0).Dot3(GetRow(1).Cross3(GetRow(2)));
        if (determinant < 0.0)
            scale.x = -scale.x;
        return scale;
    }

    Vector4 AMatrix::GetR() const
    {
        const Vector4 scale = GetS();
        Vector4 axes[3] = {GetRow(0), GetRow(1), GetRow(2)};
        for (int i = 0; i < 3; ++i)
            axes[i] = scale[i] != 0.0 ? axes[i] * (1.0 / scale[i]) : Vector4();
        // Column-vector element (i, j) is stored at [j][i]: axes[j][i].
        auto element = [&axes](int aI, int aJ) { return axes[aJ][aI]; };
        const double sinY = std::clamp(-element(2, 0), -1.0, 1.0);
        const double y = std::asin(sinY);
        double x = 0.0;
        double z = 0.0;
        if (std::abs(sinY) < 0.9999999)
        {
            x = std::atan2(element(2, 1), element(2, 2));
            z = std::atan2(element(1, 0), element(0, 0));
        }
        else
        {
            // Gimbal lock: put the whole remaining angle on x.
            x = std::atan2(element(0, 1) * sinY, element(1, 1));
        }
        return {x * RADIANS_TO_DEGREES, y * RADIANS_TO_DEGREES, z * RADIANS_TO_DEGREES, 0.0};
    }

    AMatrix& AMatrix::operator*=(const AMatrix& aOther)
    {
        *this = *this * aOther;
        return *this;
    }

    bool AMatrix::operator==(const AMatrix& aOther) const
    {
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                if (myData[row][column] != aOther.myData[row][column])
                    return false;
        return true;
    }

    AMatrix AMatrix::Inverse() const
    {
        // Transforms (linear rows, translation row, last column 0 0 0 1) invert by their 3x3 part:
        // [A 0; t 1]^-1 = [A^-1 0; -t A^-1 1]. Anything else goes through elimination.
        if (myData[0][3] == 0.0 && myData[1][3] == 0.0 && myData[2][3] == 0.0 && myData[3][3] == 1.0)
        {
            const double(&a)[4][4] = myData;
            const double c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
            const double c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
            const double c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
            const double determinant = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
            if (!(std::abs(determinant) > 1e-300))
                return AMatrix();
            const double inverse = 1.0 / determinant;
            AMatrix result;
            double(&r)[4][4] = result.myData;
            r[0][0] = c00 * inverse;
            r[1][0] = c01 * inverse;
            r[2][0] = c02 * inverse;
            r[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * inverse;
            r[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * inverse;
            r[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * inverse;
            r[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * inverse;
            r[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * inverse;
            r[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * inverse;
            for (int column = 0; column < 3; ++column)
                r[3][column] = -(a[3][0] * r[0][column] + a[3][1] * r[1][column] + a[3][2] * r[2][column]);
            return result;
        }
        // Gauss-Jordan with partial pivoting on [M | I], each row held as four pairs of doubles so
        // the row operations go two elements at a time.
        using Pair = double __attribute__((vector_size(16)));
        Pair work[4][4];
        for (int row = 0; row < 4; ++row)
        {
            work[row][0] = Pair{myData[row][0], myData[row][1]};
            work[row][1] = Pair{myData[row][2], myData[row][3]};
            work[row][2] = Pair{row == 0 ? 1.0 : 0.0, row == 1 ? 1.0 : 0.0};
            work[row][3] = Pair{row == 2 ? 1.0 : 0.0, row == 3 ? 1.0 : 0.0};
        }
        auto element = [&work](int aRow, int aColumn) { return work[aRow][aColumn >> 1][aColumn & 1]; };
        for (int column = 0; column < 4; ++column)
        {
            int pivot = column;
            for (int row = column + 1; row < 4; ++row)
                if (std::abs(element(row, column)) > std::abs(element(pivot, column)))
                    pivot = row;
            if (!(std::abs(element(pivot, column)) > 1e-300))
                return AMatrix();
            if (pivot != column)
#pragma GCC unroll 4
                for (int k = 0; k < 4; ++k)
                    std::swap(work[pivot][k], work[column][k]);
            const double scale = 1.0 / element(column, column);
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k)
                work[column][k] *= scale;
#pragma GCC unroll 4
            for (int row = 0; row < 4; ++row)
            {
                const double factor = element(row, column);
                if (row == column || factor == 0.0)
                    continue;
#pragma GCC unroll 4
                for (int k = 0; k < 4; ++k)
                    work[row][k] -= factor * work[column][k];
            }
        }
        AMatrix result;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                result.myData[row][column] = work[row][2 + (column >> 1)][column & 1];
        return result;
    }

    AMatrix AMatrix::Transpose() const
    {
        AMatrix result;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                result.myData[row][column] = myData[column][row];
        return result;
    }
}
