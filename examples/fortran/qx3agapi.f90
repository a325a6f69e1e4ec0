! Fortran interface to qx3agapi for the calls of the example client: every entry point is stdcall,
! takes each CHARACTER argument by reference with its length as a separate value, and lends the
! string a terminator in the byte just after it for the duration of the call (so that byte must be
! writable: pass a substring of a longer variable, or a blank-padded variable with LEN_TRIM).
module qx3agapi
  use, intrinsic :: iso_c_binding
  implicit none

  ! The status record (136 bytes).
  type, bind(c) :: sqlca
    character(kind=c_char) :: sqlcaid(8)
    integer(c_int32_t) :: sqlcabc
    integer(c_int32_t) :: sqlcode
    integer(c_int16_t) :: sqlerrml
    character(kind=c_char) :: sqlerrmc(70)
    character(kind=c_char) :: sqlerrp(8)
    integer(c_int32_t) :: sqlerrd(6)
    character(kind=c_char) :: sqlwarn(11)
    character(kind=c_char) :: sqlstate(5)
  end type sqlca

  ! One item of a configuration token array (8 bytes): parameter number and the value's buffer.
  type, bind(c) :: qx3ConfigItem
    integer(c_int16_t) :: token
    integer(c_int16_t) :: reserved
    type(c_ptr) :: value
  end type qx3ConfigItem

  ! Open request of a versioned database-directory scan (12 bytes): the directory's path, length
  ! counted; the open returns the scan's handle and the number of its entries.
  type, bind(c) :: qx3gDbDirOpenScanRec
    integer(c_int32_t) :: iStringLen
    type(c_ptr) :: piString
    integer(c_int16_t) :: oValue1
    integer(c_int16_t) :: oValue2
  end type qx3gDbDirOpenScanRec

  ! Next-entry request (8 bytes): the scan's handle in, the entry's address out.
  type, bind(c) :: qx3DbDirNextEntryRec
    integer(c_int16_t) :: iHandle
    integer(c_int16_t) :: reserved
    type(c_ptr) :: poEntry
  end type qx3DbDirNextEntryRec

  ! Close request (2 bytes): the scan's handle.
  type, bind(c) :: qx3DbDirCloseScanRec
    integer(c_int16_t) :: iHandle
  end type qx3DbDirCloseScanRec

  ! A media entry of type 'L' (220 bytes): the text's length, then the text, which is lent a
  ! terminator at text(iLength + 1) for the duration of a call.
  type, bind(c) :: sqluMediaEntry220
    integer(c_int32_t) :: iLength
    character(kind=c_char) :: text(216)
  end type sqluMediaEntry220

  ! A media list (12 bytes): the type code, the number of entries and the first entry.
  type, bind(c) :: sqluMediaList
    character(kind=c_char) :: iMediaType
    character(kind=c_char) :: reserved(3)
    integer(c_int32_t) :: iNumEntries
    type(c_ptr) :: piEntries
  end type sqluMediaList

  ! The export request (60 bytes): the statement, the target list of type 'L', the file format and
  ! the message file, each string with its length.
  type, bind(c) :: qx3gExportStruct
    type(c_ptr) :: piString1, piList1, piList2
    integer(c_int32_t) :: iValue1, iValue2
    type(c_ptr) :: piString2
    integer(c_int32_t) :: iValue3
    type(c_ptr) :: piString3
    integer(c_int16_t) :: iValue4, reserved34
    integer(c_int32_t) :: iValue5
    integer(c_int16_t) :: iString1Len, iString2Len, iString3Len
    character(kind=c_char) :: reserved46(6)
    type(c_ptr) :: piList3, piList4
  end type qx3gExportStruct

  interface
    ! Reset the configuration of the database named by a length-counted alias.
    integer(c_int32_t) function sqlgrdb(aliasLen, ca, alias) bind(c, name='sqlgrdb')
      import :: c_int32_t, c_char, sqlca
!GCC$ ATTRIBUTES STDCALL :: sqlgrdb
      integer(c_int32_t), value :: aliasLen
      type(sqlca) :: ca
      character(kind=c_char) :: alias(*)
    end function sqlgrdb

    ! Read the listed parameters of a database; string values come back blank-padded.
    integer(c_int32_t) function sqlgxdb(aliasLen, count, items, ca, alias) bind(c, name='sqlgxdb')
      import :: c_int32_t, c_char, sqlca, qx3ConfigItem
!GCC$ ATTRIBUTES STDCALL :: sqlgxdb
      integer(c_int32_t), value :: aliasLen, count
      type(qx3ConfigItem) :: items(*)
      type(sqlca) :: ca
      character(kind=c_char) :: alias(*)
    end function sqlgxdb

    ! Attach to a node as a user with a password.
    integer(c_int32_t) function sqlgatin(nodeLen, userLen, passwordLen, ca, node, user, password) &
        bind(c, name='sqlgatin')
      import :: c_int32_t, c_char, sqlca
!GCC$ ATTRIBUTES STDCALL :: sqlgatin
      integer(c_int32_t), value :: nodeLen, userLen, passwordLen
      type(sqlca) :: ca
      character(kind=c_char) :: node(*), user(*), password(*)
    end function sqlgatin

    ! Open a scan of the database directory on a path.
    integer(c_int32_t) function qx3gDbDirOpenScan(version, rec, ca) bind(c, name='qx3gDbDirOpenScan')
      import :: c_int32_t, sqlca, qx3gDbDirOpenScanRec
!GCC$ ATTRIBUTES STDCALL :: qx3gDbDirOpenScan
      integer(c_int32_t), value :: version
      type(qx3gDbDirOpenScanRec) :: rec
      type(sqlca) :: ca
    end function qx3gDbDirOpenScan

    ! Step a scan to its next entry.
    integer(c_int32_t) function qx3gDbDirGetNextEntry(version, rec, ca) bind(c, name='qx3gDbDirGetNextEntry')
      import :: c_int32_t, sqlca, qx3DbDirNextEntryRec
!GCC$ ATTRIBUTES STDCALL :: qx3gDbDirGetNextEntry
      integer(c_int32_t), value :: version
      type(qx3DbDirNextEntryRec) :: rec
      type(sqlca) :: ca
    end function qx3gDbDirGetNextEntry

    ! Close a scan.
    integer(c_int32_t) function qx3gDbDirCloseScan(version, rec, ca) bind(c, name='qx3gDbDirCloseScan')
      import :: c_int32_t, sqlca, qx3DbDirCloseScanRec
!GCC$ ATTRIBUTES STDCALL :: qx3gDbDirCloseScan
      integer(c_int32_t), value :: version
      type(qx3DbDirCloseScanRec) :: rec
      type(sqlca) :: ca
    end function qx3gDbDirCloseScan

    ! Export the rows of a statement to the targets of a media list.
    integer(c_int32_t) function qx3gExport(version, rec, ca) bind(c, name='qx3gExport')
      import :: c_int32_t, sqlca, qx3gExportStruct
!GCC$ ATTRIBUTES STDCALL :: qx3gExport
      integer(c_int32_t), value :: version
      type(qx3gExportStruct) :: rec
      type(sqlca) :: ca
    end function qx3gExport
  end interface
end module qx3agapi
