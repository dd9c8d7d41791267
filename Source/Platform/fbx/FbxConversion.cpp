#include "Platform/fbx/FbxScene.h"

#include <cmath>

namespace Vela::Fbx
{
    namespace
    {
        Vector4 AxisVector(int aAxis, int aSign)
        {
            Vector4 result;
            result[aAxis] = aSign < 0 ? -1.0 : 1.0;
            return result;
        }

        // The conjugate C * M * C^-1 of a matrix, for a change of basis C.
        AMatrix Conjugate(const AMatrix& aMatrix, const AMatrix& aBasis, const AMatrix& aInverseBasis)
        {
            return aBasis * aMatrix * aInverseBasis;
        }

        double Determinant3(const AMatrix& aMatrix)
        {
            return aMatrix.GetRow(0).Dot3(aMatrix.GetRow(1).Cross3(aMatrix.GetRow(2)));
        }

        void ConvertVectors(std::vector<Vector4>& someValues, const AMatrix& aBasis)
        {
            for (Vector4& value : someValues)
                value = aBasis.MultR(value);
        }
    }

    // ---- Units ----

    const SystemUnit SystemUnit::CENTIMETRE(1.0);
    const SystemUnit SystemUnit::METRE(100.0);

    bool SystemUnit::operator==(const SystemUnit& aOther) const
    {
        return std::abs(myScale - aOther.myScale) <= 1e-9 * std::max(std::abs(myScale), std::abs(aOther.myScale));
    }

    void SystemUnit::ConvertScene(Scene* aScene, const UnitConversionOptions& aOptions) const
    {
        if (!aScene || !(myScale > 0.0))
            return;
        const double factor = aScene->mySettings.myUnit.GetScaleFactor() / myScale;
        aScene->mySettings.myUnit = *this;
        if (!std::isfinite(factor) || factor == 1.0)
            return;

        aScene->Touch();
        // Scaling every translation-like quantity by k is conjugation by a uniform scale of k.
        aScene->myConversion = AMatrix::Scaling({factor, factor, factor}) * aScene->myConversion;
        aScene->myInverseConversion = aScene->myInverseConversion * AMatrix::Scaling({1.0 / factor, 1.0 / factor, 1.0 / factor});
        for (const auto& object : aScene->myObjects)
        {
            if (Node* node = object->As<Node>())
                node->myGeometricTranslation = node->myGeometricTranslation * factor;
            else if (Cluster* cluster = object->As<Cluster>(); cluster && aOptions.convertClusters)
            {
                cluster->myTransform.SetT(cluster->myTransform.GetT() * factor);
                cluster->myTransformLink.SetT(cluster->myTransformLink.GetT() * factor);
            }
        }
    }

    // ---- Axis systems ----

    AxisSystem::AxisSystem() = default;

    AxisSystem::AxisSystem(Preset aPreset)
    {
        switch (aPreset)
        {
        case Preset::MayaZUp:
        case Preset::Max: *this = AxisSystem(2, 1, 1, -1, 0, 1); break;
        // Direct3D: Y up, X right, the camera looking down +Z, so the front (towards the viewer) is -Z.
        case Preset::DirectX: *this = AxisSystem(1, 1, 2, -1, 0, 1); break;
        case Preset::Lightwave: *this = AxisSystem(1, 1, 2, -1, 0, 1); break;
        case Preset::MayaYUp:
        case Preset::MotionBuilder:
        case Preset::OpenGL:
        default: *this = AxisSystem(1, 1, 2, 1, 0, 1); break;
        }
    }

    AxisSystem::AxisSystem(int aUpAxis, int aUpSign, int aFrontAxis, int aFrontSign, int aCoordAxis, int aCoordSign)
    {
        const bool valid = aUpAxis >= 0 && aUpAxis <= 2 && aFrontAxis >= 0 && aFrontAxis <= 2 && aCoordAxis >= 0 && aCoordAxis <= 2 &&
                           aUpAxis != aFrontAxis && aUpAxis != aCoordAxis && aFrontAxis != aCoordAxis;
        if (!valid)
            return;  // stays Y up, right-handed
        myUpAxis = aUpAxis;
        myUpSign = aUpSign < 0 ? -1 : 1;
        myFrontAxis = aFrontAxis;
        myFrontSign = aFrontSign < 0 ? -1 : 1;
        myCoordAxis = aCoordAxis;
        myCoordSign = aCoordSign < 0 ? -1 : 1;
    }

    bool AxisSystem::IsRightHanded() const
    {
        const Vector4 up = AxisVector(myUpAxis, myUpSign);
        const Vector4 front = AxisVector(myFrontAxis, myFrontSign);
        return up.Cross3(front).Dot3(AxisVector(myCoordAxis, myCoordSign)) > 0.0;
    }

    AMatrix AxisSystem::GetConversionFrom(const AxisSystem& aFrom) const
    {
        // C maps each of aFrom's coord, up and front vectors onto ours: C = sum of target * source^T.
        const Vector4 sources[3] = {AxisVector(aFrom.myCoordAxis, aFrom.myCoordSign), AxisVector(aFrom.myUpAxis, aFrom.myUpSign),
                                    AxisVector(aFrom.myFrontAxis, aFrom.myFrontSign)};
        const Vector4 targets[3] = {AxisVector(myCoordAxis, myCoordSign), AxisVector(myUpAxis, myUpSign), AxisVector(myFrontAxis, myFrontSign)};
        AMatrix result;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
            {
                double sum = 0.0;
                for (int role = 0; role < 3; ++role)
                    sum += targets[role][i] * sources[role][j];
                // Column-vector element (i, j) is stored at row j, column i.
                result.Set(j, i, sum);
            }
        return result;
    }

    void AxisSystem::DeepConvertScene(Scene* aScene) const
    {
        if (!aScene)
            return;
        const AMatrix basis = GetConversionFrom(aScene->mySettings.myAxisSystem);
        aScene->mySettings.myAxisSystem = *this;
        if (basis == AMatrix())
            return;
        const AMatrix inverse = basis.Transpose();  // a signed permutation: its transpose inverts it
        const double handedness = Determinant3(basis) < 0.0 ? -1.0 : 1.0;

        aScene->Touch();
        aScene->myConversion = basis * aScene->myConversion;
        aScene->myInverseConversion = aScene->myInverseConversion * inverse;

        for (const auto& object : aScene->myObjects)
        {
            if (Node* node = object->As<Node>())
            {
                const AMatrix rotation = Conjugate(AMatrix::Rotation(node->myGeometricRotation), basis, inverse);
                const AMatrix scaling = Conjugate(AMatrix::Scaling(node->myGeometricScaling), basis, inverse);
                node->myGeometricTranslation = basis.MultR(node->myGeometricTranslation);
                node->myGeometricRotation = rotation.GetR();
                node->myGeometricScaling = Vector4(scaling.Get(0, 0), scaling.Get(1, 1), scaling.Get(2, 2));
            }
            else if (Cluster* cluster = object->As<Cluster>())
            {
                cluster->myTransform = Conjugate(cluster->myTransform, basis, inverse);
                cluster->myTransformLink = Conjugate(cluster->myTransformLink, basis, inverse);
            }
            else if (Mesh* mesh = object->As<Mesh>())
            {
                ConvertVectors(mesh->myControlPoints, basis);
                for (auto& element : mesh->myNormals)
                    ConvertVectors(element->myValues, basis);
                for (auto& element : mesh->myBinormals)
                    ConvertVectors(element->myValues, basis);
                for (auto& element : mesh->myTangents)
                {
                    ConvertVectors(element->myValues, basis);
                    // A mirror flips which side the binormal lies on.
                    for (Vector4& tangent : element->myValues)
                        tangent.w *= handedness;
                }
                // A mirror turns counter-clockwise faces clockwise around their (mirrored) normals.
                if (handedness < 0.0)
                    mesh->ReverseCornerOrder();
            }
        }
    }
}
